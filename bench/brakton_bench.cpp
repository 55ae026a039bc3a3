// Brakton benchmark: command latency, reply latency and the server's CPU
// time, on the same rig as the end-to-end tests (omniNames, the K2 simulator
// on a pty, the real program, a client in this process). Not part of the
// test run; prints median, p99 and max with N and the CPU model.
//
//   brakton_bench [--commands N] [--replies N] [--cpu-seconds S]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/brakton_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::Clock;

std::string cpuModel() {
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    }
    return "unknown";
}

void report(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%-28s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) {
        const auto i = static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1) + 0.5);
        return ms[std::min(i, ms.size() - 1)];
    };
    std::printf("%-28s N=%-5zu median %8.3f ms  p99 %8.3f ms  max %8.3f ms\n", what, ms.size(),
                at(0.5), at(0.99), ms.back());
}

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// User plus system time of `pid`, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // Fields from the state on: state is field 3, utime 14, stime 15.
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14) {
            utime = std::atol(field.c_str());
        } else if (n == 15) {
            stime = std::atol(field.c_str());
        }
    }
    return utime + stime;
}

std::vector<double> commandLatency(e2e::BraktonRig& rig, int n) {
    std::vector<double> samples;
    std::size_t seen = rig.radio().byteLog().size();
    for (int i = 0; i < n; ++i) {
        const auto start = Clock::now();
        rig.server()->VFOFreq(1, 0, 7000000 + 10 * i);
        const auto deadline = start + 2s;
        bool found = false;
        while (!found && Clock::now() < deadline) {
            const auto log = rig.radio().byteLog();
            for (std::size_t k = seen; k < log.size(); ++k) {
                if (log[k].direction == sim::Direction::In && log[k].time >= start) {
                    samples.push_back(millis(log[k].time - start));
                    found = true;
                    break;
                }
            }
            if (!found) {
                std::this_thread::sleep_for(200us);
            }
        }
        rig.radio().waitForCommand("FA.*", 2s, rig.radio().commandCount() - 1);
        seen = rig.radio().byteLog().size();
    }
    return samples;
}

std::vector<double> replyLatency(e2e::BraktonRig& rig, int n) {
    std::vector<double> samples;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> spacing(0, 200);
    rig.radio().setPacing(false);
    for (int i = 0; i < n; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(spacing(random)));
        char reply[32];
        std::snprintf(reply, sizeof reply, "FA%011d", 7000000 + i);
        const std::size_t from = rig.client().count();
        const auto written = Clock::now();
        rig.radio().injectRaw(std::string(reply) + ";", {}, true);
        const auto deadline = written + 2s;
        while (Clock::now() < deadline) {
            const auto call = rig.client().waitForOp("NotifyCmd", 100ms, from);
            if (call && call->text == reply) {
                samples.push_back(millis(call->time - written));
                break;
            }
        }
    }
    return samples;
}

double cpuPercent(pid_t pid, std::chrono::seconds span) {
    const long ticks = ::sysconf(_SC_CLK_TCK);
    const long before = cpuTicks(pid);
    std::this_thread::sleep_for(span);
    const long after = cpuTicks(pid);
    return 100.0 * static_cast<double>(after - before) / static_cast<double>(ticks) /
           static_cast<double>(span.count());
}

}  // namespace

int main(int argc, char** argv) {
    int commands = 1000;
    int replies = 200;
    int cpuSeconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--commands") {
            commands = value;
        } else if (option == "--replies") {
            replies = value;
        } else if (option == "--cpu-seconds") {
            cpuSeconds = value;
        }
    }

    e2e::BraktonRig rig;
    e2e::Settings settings;
    settings.loggingMode = 0;
    if (!rig.startAll(settings)) {
        std::fprintf(stderr, "brakton_bench: %s\n", rig.error().c_str());
        return 1;
    }
    rig.server()->Connect("Bench");
    if (!rig.client().waitForOp("Connect", 10s)) {
        std::fprintf(stderr, "brakton_bench: no connect-back\n");
        return 1;
    }

    std::printf("CPU: %s\n", cpuModel().c_str());
    report("command latency (VFOFreq)", commandLatency(rig, commands));
    report("reply latency (NotifyCmd)", replyLatency(rig, replies));

    const auto span = std::chrono::seconds(cpuSeconds);
    rig.server()->EnableStatusQuery(0);
    std::printf("%-28s %lds: %.2f %% of one CPU\n", "Brakton CPU, polling off",
                static_cast<long>(span.count()), cpuPercent(rig.brakton().pid(), span));
    rig.server()->EnableStatusQuery(1);
    std::printf("%-28s %lds: %.2f %% of one CPU\n", "Brakton CPU, polling on",
                static_cast<long>(span.count()), cpuPercent(rig.brakton().pid(), span));
    rig.server()->EnableStatusQuery(0);
    rig.server()->Disconnect();
    return 0;
}
