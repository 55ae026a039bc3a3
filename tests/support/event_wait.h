#pragma once

// Waiting in tests that run a Qt event loop: poll a condition, running the
// thread's events in between, until it holds or a time-out passes. The bound
// is only a safety net; a test never waits for a fixed time.

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <functional>
#include <thread>

namespace test_events {

// True once `check` holds; false when `timeout` passed first.
inline bool pumpUntil(std::chrono::milliseconds timeout, const std::function<bool()>& check) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!check()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The same with the condition first and a default bound of five seconds.
inline bool runEventsUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return pumpUntil(timeout, done);
}

}  // namespace test_events
