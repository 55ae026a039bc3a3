#pragma once

// One QCoreApplication for a test program, and a wait that runs its event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <functional>
#include <thread>

namespace platform::testing {

class QtCoreEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { m_app = new QCoreApplication(m_argc, m_argv); }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

  private:
    char m_name[16] = "platform_test";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    QCoreApplication* m_app = nullptr;
};

// Runs the event loop until `done` holds or `timeout` passes; returns `done()`.
inline bool runEventsUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

}  // namespace platform::testing
