// Brakton benchmark: what an operator feels, measured against the wire, on the
// same rig as the end-to-end tests (omniNames, the K2 simulator on a pty at the
// line's pace, the real program, a client in this process). Not part of the
// test run. Prints a Markdown table: each latency with N, median, p90, p99 and
// max beside its wire time at the line rate the server set; the tuning drag;
// Brakton's idle CPU and wake-ups.
//
//   brakton_bench [--sets N] [--gets N] [--knob N] [--drags N] [--idle-seconds S]
//
//   sets   VFOFreq set, call -> first byte at the radio, spaced more than an
//          echo time apart so that none waits (wire: one character)
//   gets   VFOFreq query, call -> the FA answer at the client ("FA;" out and
//          the 14-character answer back)
//   knob   the radio's VFO turned one step -> the client's call-back (the
//          radio's FA report)
//   drags  3 s of VFOFreq sets at 60 thumb positions a second, straight on
//          Brakton -> the radio at the last position: time after the drag's
//          end (wire: one echo time plus one set), the sets the radio took
//          during and after the drag, the longest VFOFreq call
//   idle   CPU and context switches of all Brakton's threads per second,
//          status polling off and on

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
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

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// One row of the table: N (and how many were asked, when some were lost),
// median, p90, p99 and max of `samples` in `unit` (none: a count), and the
// wire time beside them.
void row(const std::string& what, int asked, std::vector<double> samples, const char* unit,
         const std::string& wire) {
    std::string cells;
    if (samples.empty()) {
        cells = "| – | – | – | –";
    } else {
        std::sort(samples.begin(), samples.end());
        const auto at = [&](double q) {
            const auto i =
                static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
            return samples[std::min(i, samples.size() - 1)];
        };
        const std::string pattern =
            unit[0] == '\0' ? std::string("%.0f") : std::string("%.2f ") + unit;
        for (double value : {at(0.5), at(0.9), at(0.99), samples.back()}) {
            cells += "| " + format(pattern.c_str(), value) + " ";
        }
    }
    std::string n = std::to_string(samples.size());
    if (static_cast<int>(samples.size()) != asked) {
        n += " of " + std::to_string(asked);
    }
    std::printf("| %s | %s %s| %s |\n", what.c_str(), n.c_str(), cells.c_str(), wire.c_str());
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

// Voluntary and involuntary context switches of every thread of `pid`.
long contextSwitches(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (dir == nullptr) {
        return -1;
    }
    long total = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::ifstream in(tasks + "/" + entry->d_name + "/status");
        for (std::string line; std::getline(in, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::atol(line.substr(line.find(':') + 1).c_str());
            }
        }
    }
    ::closedir(dir);
    return total;
}

class Bench {
  public:
    explicit Bench(e2e::BraktonRig& rig) : m_rig(rig) {
        const auto line = m_rig.radio().lineSettings().value_or(sim::LineSettings{});
        m_line = line.describe();
        m_character = sim::characterTime(line, 1.0);
        m_echo = m_character * 52;
    }

    std::string lineName() const { return m_line; }
    std::string wire(int characters) const {
        return format("%.2f ms", millis(m_character * characters));
    }
    Clock::duration echo() const { return m_echo; }

    // Waits for the first call-back at `from` or later that `match` accepts,
    // passing over the others.
    std::optional<e2e::Callback> waitForCall(const std::function<bool(const e2e::Callback&)>& match,
                                             std::size_t from, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            const auto calls = m_rig.client().calls();
            for (std::size_t i = from; i < calls.size(); ++i) {
                if (match(calls[i])) {
                    return calls[i];
                }
            }
            from = calls.size();
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            m_rig.client().waitFor(from + 1, std::min(left, std::chrono::milliseconds(50)));
        }
    }

    // Until the radio has written everything and the client has heard it.
    void settle() {
        m_rig.radio().waitForOutputIdle(10s);
        for (std::size_t seen = m_rig.client().count();;) {
            std::this_thread::sleep_for(300ms);
            const std::size_t now = m_rig.client().count();
            if (now == seen) {
                return;
            }
            seen = now;
        }
    }

    std::vector<double> setLatency(int n) {
        std::vector<double> samples;
        for (int i = 0; i < n; ++i) {
            std::this_thread::sleep_for(m_echo * 3 / 2);
            const std::size_t seen = m_rig.radio().byteLog().size();
            const auto start = Clock::now();
            m_rig.server()->VFOFreq(1, 0, 7000000 + 10 * (i % 1000));
            for (const auto deadline = start + 2s; Clock::now() < deadline;) {
                const auto log = m_rig.radio().byteLog();
                const auto in =
                    std::find_if(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end(),
                                 [&](const sim::ByteRecord& b) {
                                     return b.direction == sim::Direction::In && b.time >= start;
                                 });
                if (in != log.end()) {
                    samples.push_back(millis(in->time - start));
                    break;
                }
                std::this_thread::sleep_for(200us);
            }
        }
        settle();
        return samples;
    }

    std::vector<double> getLatency(int n) {
        std::vector<double> samples;
        for (int i = 0; i < n; ++i) {
            const std::size_t from = m_rig.client().count();
            const auto start = Clock::now();
            m_rig.server()->VFOFreq(0, 0, 0);
            const auto call = waitForCall(
                [](const e2e::Callback& c) {
                    return c.op == "NotifyCmd" && c.text.rfind("FA", 0) == 0;
                },
                from, 2s);
            if (call) {
                samples.push_back(millis(call->time - start));
            }
            std::this_thread::sleep_for(50ms);
        }
        settle();
        return samples;
    }

    std::vector<double> knobLatency(int n) {
        std::vector<double> samples;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t next = m_rig.radio().state().vfoA + 10;
            char expected[32];
            std::snprintf(expected, sizeof expected, "FA%011llu",
                          static_cast<unsigned long long>(next));
            const std::size_t from = m_rig.client().count();
            const auto start = Clock::now();
            m_rig.radio().turnVfo(1, 10, 1000);
            const auto call = waitForCall(
                [&](const e2e::Callback& c) { return c.op == "NotifyCmd" && c.text == expected; },
                from, 2s);
            if (call) {
                samples.push_back(millis(call->time - start));
            }
            std::this_thread::sleep_for(100ms);
        }
        settle();
        return samples;
    }

    struct Drag {
        double afterEndMs = -1;  // the radio at the last position, after the drag's end
        int during = 0;          // sets the radio took during the drag
        int after = 0;           // and after it
        double longestCallMs = 0;
    };

    Drag drag(std::int32_t fromHz) {
        Drag result;
        const std::size_t from = m_rig.radio().commandCount();
        constexpr int kPositions = 180;  // 3 s at 60 a second
        const auto period = std::chrono::microseconds(16667);
        const auto begin = Clock::now();
        std::int32_t hz = fromHz;
        for (int i = 0; i < kPositions; ++i) {
            std::this_thread::sleep_until(begin + period * i);
            hz = fromHz + 10 * (i + 1);
            const auto call = Clock::now();
            m_rig.server()->VFOFreq(1, 0, hz);
            result.longestCallMs = std::max(result.longestCallMs, millis(Clock::now() - call));
        }
        const auto end = Clock::now();
        char last[32];
        std::snprintf(last, sizeof last, "FA%011d", hz);
        const auto arrived = m_rig.radio().waitForCommand(last, 10s, from);
        if (arrived) {
            result.afterEndMs = millis(arrived->time - end);
        }
        settle();
        const auto commands = m_rig.radio().commands();
        for (std::size_t i = from; i < commands.size(); ++i) {
            if (commands[i].text.rfind("FA", 0) == 0 && commands[i].text.size() == 13) {
                ++(commands[i].time <= end ? result.during : result.after);
            }
        }
        return result;
    }

    // CPU percent of one core and context switches a second over `span`.
    std::pair<double, double> idle(std::chrono::seconds span) {
        const pid_t pid = m_rig.brakton().pid();
        const long ticks = ::sysconf(_SC_CLK_TCK);
        const long cpuBefore = cpuTicks(pid);
        const long switchesBefore = contextSwitches(pid);
        std::this_thread::sleep_for(span);
        const double seconds = static_cast<double>(span.count());
        return {100.0 * static_cast<double>(cpuTicks(pid) - cpuBefore) /
                    static_cast<double>(ticks) / seconds,
                static_cast<double>(contextSwitches(pid) - switchesBefore) / seconds};
    }

  private:
    e2e::BraktonRig& m_rig;
    std::string m_line;
    Clock::duration m_character{};
    Clock::duration m_echo{};
};

}  // namespace

int main(int argc, char** argv) {
    int sets = 200;
    int gets = 200;
    int knob = 200;
    int drags = 5;
    int idleSeconds = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        int* target = option == "--sets"           ? &sets
                      : option == "--gets"         ? &gets
                      : option == "--knob"         ? &knob
                      : option == "--drags"        ? &drags
                      : option == "--idle-seconds" ? &idleSeconds
                                                   : nullptr;
        if (target == nullptr || i + 1 >= argc || std::atoi(argv[i + 1]) < 1) {
            std::fprintf(stderr,
                         "usage: brakton_bench [--sets N] [--gets N] [--knob N] [--drags N] "
                         "[--idle-seconds S]\n");
            return 2;
        }
        *target = std::atoi(argv[++i]);
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
    Bench bench(rig);
    bench.settle();

    std::printf("CPU: %s; line %s\n\n", cpuModel().c_str(), bench.lineName().c_str());
    std::printf("| measure | N | median | p90 | p99 | max | wire |\n");
    std::printf("| --- | --- | --- | --- | --- | --- | --- |\n");
    std::fflush(stdout);
    row("set frequency: call -> first byte at the radio", sets, bench.setLatency(sets), "ms",
        bench.wire(1) + " a character");
    std::fflush(stdout);
    row("get frequency: call -> answer at the client", gets, bench.getLatency(gets), "ms",
        bench.wire(3 + 14));
    std::fflush(stdout);
    row("knob turned on the radio -> client's call-back", knob, bench.knobLatency(knob), "ms",
        bench.wire(14));
    std::fflush(stdout);

    std::vector<double> afterEnd;
    std::vector<double> during;
    std::vector<double> after;
    std::vector<double> longest;
    for (int i = 0; i < drags; ++i) {
        const Bench::Drag d = bench.drag(7100000 + 10000 * (i % 10));
        if (d.afterEndMs >= 0) {
            afterEnd.push_back(d.afterEndMs);
        }
        during.push_back(d.during);
        after.push_back(d.after);
        longest.push_back(d.longestCallMs);
    }
    const double echoMs = millis(bench.echo());
    row("3 s drag at 60/s: radio at the last position, after the drag's end", drags, afterEnd, "ms",
        format("%.2f ms echo + ", echoMs) + bench.wire(14) + " set");
    row("3 s drag: sets the radio took during the drag", drags, during, "",
        format("%.0f by the echo time", 3000 / echoMs + 1) + ", " +
            format("%.0f by the line", 3000 / millis(bench.echo() * 14 / 52)));
    row("3 s drag: sets the radio took after the drag", drags, after, "", "1");
    row("3 s drag: longest VFOFreq call", drags, longest, "ms", bench.wire(14) + " a set");
    std::fflush(stdout);

    const auto span = std::chrono::seconds(idleSeconds);
    for (const bool polling : {false, true}) {
        rig.server()->EnableStatusQuery(polling ? 1 : 0);
        const auto [cpu, switches] = bench.idle(span);
        const std::string what = std::string("idle, status polling ") + (polling ? "on" : "off");
        std::printf("| %s: CPU of one core | %ds | %.3f %% | | | | – |\n", what.c_str(),
                    idleSeconds, cpu);
        std::printf("| %s: wake-ups (context switches, all threads) | %ds | %.1f /s | | | | – |\n",
                    what.c_str(), idleSeconds, switches);
        std::fflush(stdout);
    }
    rig.server()->EnableStatusQuery(0);
    rig.server()->Disconnect();
    return 0;
}
