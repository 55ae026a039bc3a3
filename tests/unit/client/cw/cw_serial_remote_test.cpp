// The serial counter across a real KeyboardCW call: omniNames on a free port,
// the test peer as the server, the client's ORB and RadioComm proxy, and the
// counter in a real settings file. A call that Brakton refused gives its
// number back; a call that got no answer in time may already be keyed, so its
// number stays used.
//
// One ORB per process: the naming service and the client ORB are set up once
// and shared by the tests of this program.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client/base/client_orb.h"
#include "client/base/radio_comm_proxy.h"
#include "client/base/registry_store.h"
#include "client/cw/cw_text.h"
#include "client/cw/cw_transmitter.h"
#include "client/cw/serial_counter.h"
#include "radiolink/k2_status.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"
#include "tests/unit/client/base/client_store_fixture.h"
#include "tests/unit/client/base/shared_client_orb.h"

namespace {

using namespace std::chrono_literals;

SharedClientOrb& shared() {
    return sharedClientOrb("cw_serial_remote_test");
}

struct AnswerCase {
    const char* name;
    long answer;       // what the server answers KeyboardCW
    int delayMs;       // how long it takes to answer (past the call time-out: no answer)
    int counterAfter;  // the counter stepped from 5, or given back
    std::vector<std::string> failures;  // the names of the calls' exceptions
};
ROW_NAME(AnswerCase, row.name);

class SerialOverKeyboardCw : public ClientStoreFixture,
                             public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(SerialOverKeyboardCw, IsGivenBackOnlyWhenBraktonRefused) {
    const AnswerCase& row = GetParam();
    ASSERT_TRUE(shared().ok) << shared().error;
    ASSERT_TRUE(ClientOrb::waitReady(10s));
    TempDir dir;
    PeerProcess peer;
    PeerOptions options;
    options.delayOperation = "KeyboardCW";
    options.delayMs = row.delayMs;
    ASSERT_TRUE(peer.start(PeerRole::Server, shared().naming, dir.path(), options)) << peer.error();
    ASSERT_EQ(peer.command("answer " + std::to_string(row.answer)), "ok");
    RadioCommProxy proxy;
    std::vector<std::string> failures;
    proxy.setFailureHandler(
        [&failures](const RemoteFailure& failure) { failures.push_back(failure.name); });
    ASSERT_TRUE(proxy.resolve(5s));

    pelorin::CRegistryStore store;
    ASSERT_TRUE(store.WriteCounterSettings(5, 3));
    cw::SerialCounter counter(store);
    cw::PendingText pending;
    cw::CwTransmitter::Hooks hooks;
    hooks.connected = [] { return true; };
    hooks.keyboardCW = [&](const std::string& text) { return proxy.KeyboardCW(text); };
    hooks.showStatus = [](int, const std::string&) {};
    cw::CwTransmitter transmitter(hooks, pending, counter);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(transmitter.transmitMemory("NR ~SN+ "));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(failures, row.failures);

    // The server got the text either way.
    const auto records = peer.waitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].operation, "KeyboardCW");
    EXPECT_EQ(records[0].args, std::vector<std::string>{"NR 005 "});
    EXPECT_EQ(counter.value(), row.counterAfter);
    pelorin::CRegistryStore again;
    int value = 0;
    int mode = 0;
    ASSERT_TRUE(again.ReadCounterSettings(value, mode));
    EXPECT_EQ(value, row.counterAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SerialOverKeyboardCw,
    ::testing::Values(
        AnswerCase{"RefusedNotConnected", static_cast<long>(K2ERR_CLIENT_NOT_CONNECTED), 0, 5, {}},
        AnswerCase{"RefusedQueueFull", static_cast<long>(K2ERR_INVALID_PARAM), 0, 5, {}},
        // The proxy gives up after 10 s; the server answers 0 after 15 s.
        AnswerCase{"CallTimedOut", 0, 15000, 6, {"TIMEOUT"}}),
    CaseName());

}  // namespace
