#pragma once

// What the server's widget tests build a real radio object with: a clock
// that never pauses, a log that keeps every line's text, and the quick polls
// that let a simulated radio answer within a test's patience.
//
//   test_radio::NoPauseSleeper sleeper;
//   RadioPortServices services = test_radio::quickPolls(sleeper, serialDir, 100ms);
//   services.log = &log;                        // a test_radio::RecordingLog
//   CK2RadioPort radio(services, 0);

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "radiolink/k2_radio_port.h"
#include "radiolink/radio_services.h"

namespace test_radio {

// The radio's fixed pauses are not waited out here.
class NoPauseSleeper final : public Sleeper {
  public:
    void Sleep(std::chrono::milliseconds) override {}
    std::chrono::steady_clock::time_point Now() const override {
        return std::chrono::steady_clock::now();
    }
};

// The text of each line logged, in order. The radio's threads log while the
// test reads.
class RecordingLog final : public LogSink {
  public:
    void LogMessage(int, int, std::string_view text) override {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(text);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Services with `sleeper`, the serial devices under `serialDir`, replies and
// CW progress polled every 20 ms and the status every `statusPollPeriod`.
inline RadioPortServices quickPolls(Sleeper& sleeper, const std::filesystem::path& serialDir,
                                    std::chrono::milliseconds statusPollPeriod) {
    RadioPortServices services;
    services.sleeper = &sleeper;
    services.serialDir = serialDir;
    services.replyPollInterval = std::chrono::milliseconds(20);
    services.statusPollPeriod = statusPollPeriod;
    services.cwPollInterval = std::chrono::milliseconds(20);
    return services;
}

}  // namespace test_radio
