// scripts/run-demo as the operator runs it: twice in a row in one demo
// folder, each run stopped with SIGTERM. Every run must bring radio data to
// the client, show no connect failure, and leave nothing running.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& check) {
    const auto deadline = Clock::now() + timeout;
    while (!check()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::string readProcFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Processes whose command line or environment names `text` (the demo
// folder): every program the demo starts carries it in one or the other.
std::vector<std::string> processesNaming(const std::string& text) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string cmdline = readProcFile(entry.path() / "cmdline");
        const std::string environ = readProcFile(entry.path() / "environ");
        if (cmdline.find(text) != std::string::npos || environ.find(text) != std::string::npos) {
            for (char& c : cmdline) {
                c = c == '\0' ? ' ' : c;
            }
            found.push_back(pid + ": " + cmdline);
        }
    }
    return found;
}

TEST(RunDemo, TwoRunsInARowEachBringRadioDataAndStopCleanly) {
    TempDir dir;
    const std::filesystem::path demo = dir.path() / "demo";
    const int port = freeLoopbackPort();
    ASSERT_NE(port, 0);
    const std::vector<std::string> env{
        "BUILD_DIR=" RUN_DEMO_BUILD_DIR,
        "DEMO_DIR=" + demo.string(),
        "DEMO_NAMING_PORT=" + std::to_string(port),
        "RIGCONTROL_TRACE=1",
        "QT_QPA_PLATFORM=offscreen",
        "ORVO_MESSAGE_LOG=" + (dir.path() / "messages.log").string(),
    };

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ChildProcess script;
        ASSERT_TRUE(
            script.start(RUN_DEMO_SCRIPT, {}, env, dir.path(), "run-demo-" + std::to_string(run)));
        const auto output = [&] {
            return readFile(script.stdoutPath()) + readFile(script.stderrPath());
        };

        // The client traces each radio reply it is given ("Cmd = FA...").
        const bool radioData =
            waitUntil(90s,
                      [&] {
                          return readFile(script.stderrPath()).find("Cmd = FA") !=
                                     std::string::npos ||
                                 !script.running();
                      }) &&
            script.running();
        EXPECT_TRUE(radioData) << output();
        EXPECT_EQ(output().find("Unable to Connect"), std::string::npos) << output();
        EXPECT_EQ(readFile(dir.path() / "messages.log"), "") << "no message box";

        ASSERT_TRUE(script.signal(SIGTERM)) << "run-demo ended early\n" << output();
        const auto status = script.waitExit(60s);
        ASSERT_TRUE(status.has_value()) << "run-demo did not stop\n" << output();
        EXPECT_TRUE(waitUntil(5s, [&] { return processesNaming(demo.string()).empty(); }))
            << ::testing::PrintToString(processesNaming(demo.string())) << "\n"
            << output();
        if (HasFailure()) {
            return;
        }
    }

    // The demo settings carry the naming port, and Brakton logs from the start.
    const std::string brakton = readFile(demo / "config" / "N0CALL Software" / "Rig Control.ini");
    EXPECT_NE(brakton.find("NS%20Port=" + std::to_string(port)), std::string::npos) << brakton;
    EXPECT_NE(brakton.find("SW%20Logging%20Mode=224"), std::string::npos) << brakton;
    const std::string pelorin = readFile(demo / "config" / "N0CALL Software" / "Pelorin.ini");
    EXPECT_NE(pelorin.find("NS%20Port=" + std::to_string(port)), std::string::npos) << pelorin;
}

}  // namespace
