#pragma once

// RadioRig: a radio object opened on a bare pty, with its three tasks running
// at short intervals and every fake attached. The test plays the radio on the
// pty master. Pauses of the radio object are recorded, not waited out.

#include <gtest/gtest.h>
#include <functional>

#include <string>
#include <vector>

#include "radio_test_support.h"
#include "radiolink/k2_radio_port.h"

namespace radiotest {

inline constexpr auto kReplyInterval = 20ms;
inline constexpr auto kStatusPeriod = 200ms;
inline constexpr auto kCWInterval = 20ms;
inline constexpr auto kWatchdog = 600ms;

class RadioRig {
  public:
    explicit RadioRig(std::uint8_t logging = 0, std::function<std::uint8_t()> readLoggingMode = {})
        : line(dir.path(), 1),
          log(events),
          sleeper(events),
          notifier(events),
          target(events),
          radio(Services(std::move(readLoggingMode)), logging) {}

    RadioPortServices Services(std::function<std::uint8_t()> readLoggingMode = {}) {
        RadioPortServices s;
        s.readLoggingMode = std::move(readLoggingMode);
        s.log = &log;
        s.notifier = &notifier;
        s.client = &client;
        s.sleeper = &sleeper;
        s.serialDir = dir.path();
        s.replyPollInterval = kReplyInterval;
        s.statusPollPeriod = kStatusPeriod;
        s.cwPollInterval = kCWInterval;
        s.cwWatchdog = kWatchdog;
        return s;
    }

    // Opens COM1 and takes the start-up commands off the line.
    void Open() {
        ASSERT_EQ(radio.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
        ASSERT_EQ(line.ReadUntil("AI3;"), "K22;AI3;");
        events.Take();
    }

    // Events whose text starts with `prefix`, in order.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events.Snapshot())
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e);
        return out;
    }

    // Waits until `count` events start with `prefix`.
    bool WaitForCount(const std::string& prefix, std::size_t count,
                      std::chrono::milliseconds timeout = 5s) {
        return events.WaitFor(
            [&](const std::vector<std::string>& v) {
                std::size_t n = 0;
                for (const auto& e : v)
                    n += e.rfind(prefix, 0) == 0 ? 1 : 0;
                return n >= count;
            },
            timeout);
    }

    TempDir dir;
    PtyLine line;
    Events events;
    RecordingLog log;
    RecordingSleeper sleeper;
    FakeNotifier notifier;
    FakeTarget target;
    FakeClient client;
    CK2RadioPort radio;
};

}  // namespace radiotest
