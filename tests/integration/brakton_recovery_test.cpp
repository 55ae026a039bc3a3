// Brakton recovering from what goes wrong around it: the naming service
// killed and started again on its port with its data folder, the radio gone.

#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "radiolink/k2_status.h"
#include "tests/integration/brakton_fixture.h"
#include "tests/support/row_names.h"

namespace {

using namespace std::chrono_literals;
using e2e::BraktonRig;

// omniNames dies without a word (kill -9) and comes back on the same port and
// data folder: the bindings are still there, but every ORB that talked to the
// old one still holds its dead connection.
bool killAndRestartNaming(BraktonRig& rig) {
    ::kill(rig.naming().pid(), SIGKILL);
    return rig.naming().restart();
}

struct RestartCase {
    const char* name;
    bool connectedBefore;  // the client had its call-backs before the restart
};
ROW_NAME(RestartCase, row.name);

class BraktonNamingRestart : public ::testing::TestWithParam<RestartCase> {};

// The connect-back looks the client up right after the restart: its first
// naming call meets the dead connection and must not lose the client.
TEST_P(BraktonNamingRestart, FirstConnectAfterwardsBringsCallBacks) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    if (GetParam().connectedBefore) {
        ASSERT_TRUE(rig.connectAndWaitForCallBacks()) << rig.error();
    }
    if (!killAndRestartNaming(rig)) {
        GTEST_SKIP() << "the naming port was taken meanwhile: " << rig.naming().error();
    }

    if (GetParam().connectedBefore) {
        // The same client connects again.
        const std::size_t from = rig.client().count();
        ASSERT_EQ(rig.server()->Connect("Nemo"), 0);
        const auto back = rig.client().waitForOp("Connect", 15s, from);
        ASSERT_TRUE(back.has_value()) << rig.braktonStderr();
        EXPECT_EQ(back->text, "Brakton");
    } else {
        // A new client binds its object through the restarted service and connects.
        PeerProcess peer;
        ASSERT_TRUE(peer.start(PeerRole::Client, rig.naming(), rig.dir())) << peer.error();
        ASSERT_EQ(rig.server()->Connect("Nemo"), 0);
        const auto records = peer.waitForRecords(1, 15s);
        ASSERT_EQ(records.size(), 1u) << rig.braktonStderr();
        EXPECT_EQ(records[0].operation, "Connect");
        EXPECT_EQ(records[0].args, std::vector<std::string>{"Brakton"});
    }
    EXPECT_EQ(rig.braktonStderr().find("CORBA exception raised"), std::string::npos)
        << rig.braktonStderr();
}

INSTANTIATE_TEST_SUITE_P(Recovery, BraktonNamingRestart,
                         ::testing::Values(RestartCase{"NewClientConnectsAtOnce", false},
                                           RestartCase{"ConnectedClientReconnects", true}),
                         CaseName());

// The radio goes away while Brakton runs: every radio command then answers
// "port not open" through the remote interface, keyboard CW included, and
// the server keeps serving everything else.
TEST(BraktonLostRadio, EveryRadioCommandAnswersPortNotOpen) {
    BraktonRig rig;
    ASSERT_TRUE(rig.startAll()) << rig.error();
    ASSERT_TRUE(rig.connectAndWaitForCallBacks()) << rig.error();
    ASSERT_EQ(rig.server()->OperatingMode(1, 3), 0);
    rig.radio().stop();

    constexpr auto kPortNotOpen = static_cast<CORBA::Long>(K2ERR_PORT_NOT_OPEN);
    // The server's next read or write notices the hang-up.
    const auto deadline = e2e::Clock::now() + 5s;
    CORBA::Long status = 0;
    while (status != kPortNotOpen && e2e::Clock::now() < deadline) {
        status = rig.server()->VFOFreq(1, 0, 14060000);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(status, kPortNotOpen);
    EXPECT_EQ(rig.server()->KeyboardCW("CQ CQ"), kPortNotOpen);
    EXPECT_EQ(rig.server()->OperatingMode(1, 3), kPortNotOpen);
    EXPECT_EQ(rig.server()->VFOFreq(1, 0, 7040000), kPortNotOpen);
    CORBA::Short amp = 7;
    EXPECT_EQ(rig.server()->QueryRFAmpStatus(amp), 0);
}

}  // namespace
