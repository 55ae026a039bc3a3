#pragma once

// One QCoreApplication for a test program, and a wait that runs its event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <functional>
#include <thread>
#include "tests/support/event_wait.h"

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

using test_events::runEventsUntil;

}  // namespace platform::testing
