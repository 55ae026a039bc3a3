// The Pelorin program as a child process against omniNames and the test peer
// in the server role: it connects, is called back, asks for the radio's
// state, and ends with code 0 on SIGTERM after telling the server.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using peer_protocol::Record;

std::vector<std::string> operations(const std::vector<Record>& records) {
    std::vector<std::string> names;
    for (const auto& record : records) {
        names.push_back(record.operation);
    }
    return names;
}

bool waitForOperation(const PeerProcess& peer, const std::string& operation,
                      std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& record : peer.records()) {
            if (record.operation == operation) {
                return true;
            }
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

class PelorinProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_naming.start()) << m_naming.error();
        ASSERT_TRUE(m_peer.start(PeerRole::Server, m_naming, m_dir.path())) << m_peer.error();
    }

    // `program` runs with Pelorin's arguments and environment; `launcher`,
    // when given, starts it (nohup, say).
    bool startPelorin(const std::vector<std::string>& extraEnv = {},
                      const std::string& program = PELORIN_PROGRAM,
                      const std::string& launcher = {}) {
        std::vector<std::string> args = m_naming.initRefArgs();
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        const std::string home = m_dir.path().string();
        std::vector<std::string> env = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                                        "XDG_RUNTIME_DIR=" + home, "QT_QPA_PLATFORM=offscreen",
                                        "ORVO_MESSAGE_LOG=" + messageLog().string()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        if (launcher.empty()) {
            return m_pelorin.start(program, args, env, m_dir.path(), "Pelorin");
        }
        args.insert(args.begin(), program);
        return m_pelorin.start(launcher, args, env, m_dir.path(), "Pelorin");
    }

    std::filesystem::path messageLog() const { return m_dir.path() / "messages.log"; }

    TempDir m_dir;
    NamingService m_naming;
    PeerProcess m_peer;
    ChildProcess m_pelorin;
};

TEST_F(PelorinProgram, ConnectsIsCalledBackAndEndsWithZeroOnSigterm) {
    ASSERT_TRUE(startPelorin());
    ASSERT_TRUE(waitForOperation(m_peer, "Connect", 20s))
        << readFile(m_pelorin.stderrPath()) << readFile(messageLog());
    EXPECT_EQ(m_peer.records()[0].args, std::vector<std::string>{"Pelorin"});

    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(waitForOperation(m_peer, "EnableStatusQuery", 20s))
        << readFile(m_pelorin.stderrPath());
    const auto afterConnect = m_peer.records();
    const std::vector<std::string> expected{"Connect",          "ReadHAMRadioBandInfo",
                                            "ReadVFOFreqCache", "GetInitialRadioInfo",
                                            "QueryRFAmpStatus", "EnableStatusQuery"};
    ASSERT_GE(afterConnect.size(), expected.size());
    EXPECT_EQ(operations({afterConnect.begin(), afterConnect.begin() + 6}), expected);
    EXPECT_EQ(afterConnect[5].args, std::vector<std::string>{"1"});

    ASSERT_TRUE(m_pelorin.signal(SIGTERM));
    const auto status = m_pelorin.waitExit(20s);
    ASSERT_TRUE(status.has_value()) << "Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    // No question on a signal, and the server heard the client go.
    EXPECT_EQ(readFile(messageLog()).find("question"), std::string::npos);
    EXPECT_TRUE(waitForOperation(m_peer, "Disconnect", 1s));
}

TEST_F(PelorinProgram, EndsWithZeroOnSigtermWhenServerHasGone) {
    ASSERT_TRUE(startPelorin());
    ASSERT_TRUE(waitForOperation(m_peer, "Connect", 20s)) << readFile(m_pelorin.stderrPath());
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(waitForOperation(m_peer, "EnableStatusQuery", 20s));
    const PortHold held = m_peer.process().killHoldingPorts();
    ASSERT_TRUE(held.holding()) << held.error();

    ASSERT_TRUE(m_pelorin.signal(SIGTERM));
    const auto status = m_pelorin.waitExit(30s);
    ASSERT_TRUE(status.has_value()) << "Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

// A closed terminal or session (SIGHUP) ends Pelorin through its exit, as
// SIGTERM does; one started with SIGHUP ignored (nohup) keeps it ignored and
// goes on serving.
struct HangUpCase {
    const char* name;
    bool underNohup;
};
ROW_NAME(HangUpCase, row.name);

class PelorinHangUp : public PelorinProgram, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(PelorinHangUp, EndsThroughTheExitUnlessStartedWithItIgnored) {
    const HangUpCase& c = GetParam();
    struct sigaction inherited {};
    ::sigaction(SIGHUP, nullptr, &inherited);
    if (inherited.sa_handler == SIG_IGN) {
        GTEST_SKIP() << "this test runs with SIGHUP ignored, which every child inherits";
    }
    const std::string nohup = "/usr/bin/nohup";
    if (c.underNohup && ::access(nohup.c_str(), X_OK) != 0) {
        GTEST_SKIP() << nohup << " is not there";
    }
    ASSERT_TRUE(startPelorin({}, PELORIN_PROGRAM, c.underNohup ? nohup : std::string()));
    ASSERT_TRUE(waitForOperation(m_peer, "Connect", 20s)) << readFile(m_pelorin.stderrPath());
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(waitForOperation(m_peer, "EnableStatusQuery", 20s));

    ASSERT_TRUE(m_pelorin.signal(SIGHUP));
    if (c.underNohup) {
        // A call-back after the signal is still answered: the panel goes on.
        ASSERT_EQ(m_peer.command("connect-back"), "ok");
        ASSERT_TRUE(waitForOperation(m_peer, "EchoString", 20s))
            << readFile(m_pelorin.stderrPath());
        EXPECT_TRUE(m_pelorin.running());
        EXPECT_FALSE(waitForOperation(m_peer, "Disconnect", 0ms));
        ASSERT_TRUE(m_pelorin.signal(SIGTERM));
    }
    const auto status = m_pelorin.waitExit(20s);
    ASSERT_TRUE(status.has_value()) << "Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_TRUE(waitForOperation(m_peer, "Disconnect", 1s));
}

const HangUpCase kHangUpCases[] = {
    {"Started", false},
    {"StartedUnderNohup", true},
};
INSTANTIATE_TEST_SUITE_P(Signal, PelorinHangUp, ::testing::ValuesIn(kHangUpCases), CaseName());

// The whole files below `folder` whose name begins with `prefix`.
std::vector<std::filesystem::path> filesStartingWith(const std::filesystem::path& folder,
                                                     const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    std::error_code ignored;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder, ignored)) {
        if (item.is_regular_file(ignored) &&
            item.path().filename().string().rfind(prefix, 0) == 0) {
            found.push_back(item.path());
        }
    }
    return found;
}

// SIGTERM while a contact could not be written to a full disk: Pelorin's own
// exit writes the whole log to a rescue file in the settings folder, names it
// on standard error and shows nothing: no box, and no line for the message
// service, as no operator may be there to close one.
TEST_F(PelorinProgram, SigtermOnAFullDiskRescuesTheLogAndShowsNothing) {
    ASSERT_TRUE(startPelorin({}, PELORIN_EXIT_DRIVER));
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    std::string out;
    while (std::chrono::steady_clock::now() < deadline && m_pelorin.running()) {
        out = readFile(m_pelorin.stdoutPath());
        if (out.find("unsaved\n") != std::string::npos || out.rfind("skip: ", 0) == 0) {
            break;
        }
        std::this_thread::sleep_for(50ms);
    }
    if (out.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << out.substr(6);
    }
    ASSERT_NE(out.find("unsaved\n"), std::string::npos)
        << out << readFile(m_pelorin.stderrPath()) << readFile(messageLog());
    const std::string messagesBefore = readFile(messageLog());

    ASSERT_TRUE(m_pelorin.signal(SIGTERM));
    const auto status = m_pelorin.waitExit(30s);
    ASSERT_TRUE(status.has_value()) << "Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);

    const auto rescues = filesStartingWith(m_dir.path(), "Orvo.QSO.Log.unsaved-");
    ASSERT_EQ(rescues.size(), 1u) << readFile(m_pelorin.stderrPath());
    EXPECT_EQ(rescues[0].string().rfind((m_dir.path() / "config").string() + "/", 0), 0u)
        << rescues[0];
    EXPECT_NE(readFile(rescues[0]).find(";N0CALL;"), std::string::npos) << readFile(rescues[0]);
    const std::string err = readFile(m_pelorin.stderrPath());
    EXPECT_NE(err.find("Log not saved to " + (m_dir.path() / "Orvo" / "Orvo.QSO.Log").string() +
                       ": the whole log is kept in " + rescues[0].string()),
              std::string::npos)
        << err;
    EXPECT_EQ(readFile(messageLog()), messagesBefore);
}

// The reply trace ("Cmd = ...") is written only with RIGCONTROL_TRACE=1. A
// second call-back after the reply makes the panel echo to the server; once
// the echo is there, the reply before it has been handled.
struct TraceCase {
    const char* name;
    const char* variable;  // null: not set
    bool traced;
};
ROW_NAME(TraceCase, row.name);

class PelorinTraces : public PelorinProgram, public ::testing::WithParamInterface<TraceCase> {};

TEST_P(PelorinTraces, ReplyTraceOnlyWhenSwitchedOn) {
    const TraceCase& c = GetParam();
    unsetenv("RIGCONTROL_TRACE");
    std::vector<std::string> env;
    if (c.variable != nullptr) {
        env.push_back(std::string("RIGCONTROL_TRACE=") + c.variable);
    }
    ASSERT_TRUE(startPelorin(env));
    ASSERT_TRUE(waitForOperation(m_peer, "Connect", 20s)) << readFile(m_pelorin.stderrPath());
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(waitForOperation(m_peer, "EnableStatusQuery", 20s));
    ASSERT_EQ(m_peer.command("notify-cmd 6 FA00028070000"), "ok");
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(waitForOperation(m_peer, "EchoString", 20s)) << readFile(m_pelorin.stderrPath());

    const std::string err = readFile(m_pelorin.stderrPath());
    EXPECT_EQ(err.find("Cmd = FA00028070000") != std::string::npos, c.traced) << err;

    ASSERT_TRUE(m_pelorin.signal(SIGTERM));
    EXPECT_TRUE(m_pelorin.waitExit(20s).has_value()) << "Pelorin did not end";
}

const TraceCase kTraceCases[] = {
    {"NotSet", nullptr, false},
    {"SetToOne", "1", true},
    {"SetToZero", "0", false},
};
INSTANTIATE_TEST_SUITE_P(Variable, PelorinTraces, ::testing::ValuesIn(kTraceCases), CaseName());

}  // namespace
