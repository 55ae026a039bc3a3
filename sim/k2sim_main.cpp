// k2sim: a simulated K2 on a pseudo-terminal, linked as comN in the serial
// folder, until SIGTERM or SIGINT. It takes what the server writes at the
// line's pace (--no-read-pacing: as fast as it comes) and answers at 4800
// baud; --time-scale divides both, and the keying times.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "sim/k2_simulator.h"

namespace {

void usage(std::FILE* out) {
    std::fputs(
        "usage: k2sim [--dir FOLDER] [--com N] [--trace] [--time-scale X] [--ai-delay MS]\n"
        "             [--no-read-pacing]\n",
        out);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// $RIGCONTROL_SERIAL_DIR, else "$XDG_CONFIG_HOME/N0CALL Software/serial",
// with $HOME/.config when XDG_CONFIG_HOME is unset.
std::filesystem::path defaultFolder() {
    std::string dir = environment("RIGCONTROL_SERIAL_DIR");
    if (!dir.empty()) {
        return dir;
    }
    std::filesystem::path config = environment("XDG_CONFIG_HOME");
    if (config.empty()) {
        config = std::filesystem::path(environment("HOME")) / ".config";
    }
    return config / "N0CALL Software" / "serial";
}

std::optional<long> parseInteger(std::string_view text, long low, long high) {
    std::string copy(text);
    char* end = nullptr;
    long value = std::strtol(copy.c_str(), &end, 10);
    if (copy.empty() || *end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseScale(std::string_view text) {
    std::string copy(text);
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !(value > 0) || value > 1e6) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    sim::K2SimulatorOptions options;
    std::optional<std::filesystem::path> folder;
    bool trace = false;

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--trace") {
            trace = true;
            continue;
        }
        if (arg == "--no-read-pacing") {
            options.readPacing = false;
            continue;
        }
        std::optional<std::string_view> text;
        if (arg == "--dir" || arg == "--com" || arg == "--time-scale" || arg == "--ai-delay") {
            text = value();
            if (!text) {
                std::fprintf(stderr, "k2sim: %s needs a value\n", argv[i]);
                usage(stderr);
                return 2;
            }
        } else {
            std::fprintf(stderr, "k2sim: unknown argument %s\n", argv[i]);
            usage(stderr);
            return 2;
        }
        bool ok = true;
        if (arg == "--dir") {
            ok = !text->empty();
            folder = std::filesystem::path(*text);
        } else if (arg == "--com") {
            auto n = parseInteger(*text, 1, 9999);
            ok = n.has_value();
            options.com = static_cast<unsigned>(n.value_or(1));
        } else if (arg == "--time-scale") {
            auto scale = parseScale(*text);
            ok = scale.has_value();
            options.timeScale = scale.value_or(1.0);
        } else {
            auto ms = parseInteger(*text, 0, 60000);
            ok = ms.has_value();
            options.aiDelay = std::chrono::milliseconds(ms.value_or(20));
        }
        if (!ok) {
            std::fprintf(stderr, "k2sim: bad value for %.*s: %.*s\n", static_cast<int>(arg.size()),
                         arg.data(), static_cast<int>(text->size()), text->data());
            usage(stderr);
            return 2;
        }
    }
    options.folder = folder ? *folder : defaultFolder();
    if (trace) {
        options.trace = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    }

    // Block the stop signals before any thread exists, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::K2Simulator radio(options);
    sim::StartResult started = radio.start();
    if (!started.ok()) {
        std::fprintf(stderr, "k2sim: %s\n", started.message.c_str());
        return started.error == sim::StartError::NotALink ? 2 : 1;
    }
    std::printf("COM%u %s -> %s\n", options.com, radio.linkPath().c_str(),
                radio.devicePath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    radio.stop();
    return 0;
}
