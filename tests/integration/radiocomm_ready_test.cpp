// radiocomm_ready, the demo's readiness check: it says yes only once a
// server answers as "RadioComm", and gives up within its time-out with a
// message that says what it waited for.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;

enum class Setting { NoNamingService, NoServer, ServerAnswers };

struct ReadyCase {
    const char* name;
    Setting setting;
    int exitCode;
    const char* message;  // part of standard error; empty: nothing there
};
ROW_NAME(ReadyCase, row.name);

const ReadyCase kCases[] = {
    {"NoNamingService", Setting::NoNamingService, 1, "within 2 s (last: TRANSIENT)"},
    {"NamingServiceWithoutServer", Setting::NoServer, 1, "within 2 s (last: NotFound)"},
    {"ServerAnswers", Setting::ServerAnswers, 0, ""},
};

class RadioCommReady : public ::testing::TestWithParam<ReadyCase> {};

TEST_P(RadioCommReady, AnswersWithinItsTimeOut) {
    const ReadyCase& row = GetParam();
    TempDir dir;
    NamingService naming;
    ASSERT_TRUE(naming.start()) << naming.error();
    PeerProcess server;
    if (row.setting == Setting::NoNamingService) {
        ASSERT_TRUE(naming.stop()) << naming.error();
    } else if (row.setting == Setting::ServerAnswers) {
        ASSERT_TRUE(server.start(PeerRole::Server, naming, dir.path())) << server.error();
    }

    ChildProcess ready;
    ASSERT_TRUE(ready.start(RADIOCOMM_READY,
                            {"--naming-host", naming.host(), "--naming-port",
                             std::to_string(naming.port()), "--timeout", "2"},
                            {}, dir.path()));
    const auto status = ready.waitExit(15s);
    ASSERT_TRUE(status.has_value()) << "it did not give up";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), row.exitCode);
    const std::string err = readFile(ready.stderrPath());
    if (*row.message == '\0') {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_NE(err.find("radiocomm_ready: no server answered as \"RadioComm\" at 127.0.0.1:" +
                           std::to_string(naming.port())),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find(row.message), std::string::npos) << err;
    }
    if (row.setting == Setting::ServerAnswers) {
        const auto records = server.waitForRecords(1);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.back().operation, "EchoString");
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, RadioCommReady, ::testing::ValuesIn(kCases), CaseName());

TEST(RadioCommReadyArguments, BadOnesAreRefusedWithTheUsage) {
    TempDir dir;
    ChildProcess ready;
    ASSERT_TRUE(ready.start(RADIOCOMM_READY, {"--naming-port", "70000"}, {}, dir.path()));
    const auto status = ready.waitExit(10s);
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 2);
    EXPECT_NE(readFile(ready.stderrPath()).find("usage: "), std::string::npos);
}

}  // namespace
