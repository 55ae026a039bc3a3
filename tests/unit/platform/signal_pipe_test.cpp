#include "platform/signal_pipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "qt_core_app.h"

namespace {

using platform::SignalPipe;
using platform::testing::runEventsUntil;

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new platform::testing::QtCoreEnvironment);

TEST(SignalPipe, EachSignalReachesTheCallbackFromTheEventLoop) {
    std::vector<int> got;
    SignalPipe pipe([&](int signalNumber) { got.push_back(signalNumber); });
    ASSERT_TRUE(pipe.isInstalled());

    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    // The handler only wrote to the pipe: nothing ran inside it.
    EXPECT_TRUE(got.empty());

    ASSERT_TRUE(runEventsUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got, (std::vector<int>{SIGTERM, SIGINT}));
}

TEST(SignalPipe, SignalDuringStartUpActsOnceTheLoopRuns) {
    int calls = 0;
    SignalPipe pipe([&](int) { ++calls; });
    ASSERT_TRUE(pipe.isInstalled());
    ASSERT_EQ(std::raise(SIGTERM), 0);  // before any event processing
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(runEventsUntil([&] { return calls > 0; }));
    // And only once.
    runEventsUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(calls, 1);
}

void customHandler(int) {}

TEST(SignalPipe, RestoresThePreviousHandlers) {
    struct sigaction custom {};
    custom.sa_handler = customHandler;
    sigemptyset(&custom.sa_mask);
    struct sigaction saved {};
    ASSERT_EQ(::sigaction(SIGTERM, &custom, &saved), 0);
    {
        SignalPipe pipe([](int) {});
        ASSERT_TRUE(pipe.isInstalled());
        struct sigaction now {};
        ::sigaction(SIGTERM, nullptr, &now);
        EXPECT_NE(now.sa_handler, customHandler);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, customHandler);
    ::sigaction(SIGTERM, &saved, nullptr);
}

TEST(SignalPipe, OnlyOneInstanceAtATime) {
    int firstCalls = 0;
    int secondCalls = 0;
    SignalPipe first([&](int) { ++firstCalls; });
    ASSERT_TRUE(first.isInstalled());
    {
        SignalPipe second([&](int) { ++secondCalls; });
        EXPECT_FALSE(second.isInstalled());
    }
    // The refused second one neither took the handlers away nor closed the pipe.
    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_TRUE(runEventsUntil([&] { return firstCalls == 1; }));
    EXPECT_EQ(secondCalls, 0);
}

}  // namespace
