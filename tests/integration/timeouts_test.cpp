// A peer that stops answering (SIGSTOP) costs a bounded wait in either
// direction, and the failure comes back through the call helpers.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "RadioCmdNotification.hh"
#include "RadioComm.hh"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "idl/notifier_holder.h"
#include "tests/support/recording_call_sink.h"
#include "tests/support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class StoppedPeer : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_naming.start()) << m_naming.error(); }

    TempDir m_dir;
    NamingService m_naming;
    PeerProcess m_peer;
};

TEST_F(StoppedPeer, CallbackBurstEndsWithTimeoutWithinThreeSeconds) {
    ASSERT_TRUE(m_peer.start(PeerRole::Client, m_naming, m_dir.path())) << m_peer.error();
    TestOrb orb(OrbRole::Server, m_naming);
    NotifierHolder holder;
    {
        CORBA::Object_var object = resolveName(orb.orb(), "RadioCmdNotification");
        RadioCmdNotification_var client = RadioCmdNotification::_narrow(object.in());
        holder.set(client.in());
    }
    m_peer.process().pause();

    // Oneways return once written; once the stopped peer's buffers are full
    // a write blocks, and the 2 s call time-out ends it.
    const std::string reply(16 * 1024, 'r');
    RecordingCallSink sink;
    bool timedOut = false;
    double blockedFor = 0;
    const auto burstStart = Clock::now();
    while (secondsSince(burstStart) < 60) {
        RadioCmdNotification_var client = holder.get();
        const auto callStart = Clock::now();
        const bool ok = callClient(
            "NotifyCmd",
            [&] {
                try {
                    client->NotifyCmd(5, reply.c_str());
                } catch (const CORBA::TIMEOUT&) {
                    timedOut = true;
                    throw;
                }
            },
            sink);
        if (!ok) {
            blockedFor = secondsSince(callStart);
            break;
        }
    }
    EXPECT_TRUE(timedOut);
    EXPECT_GE(blockedFor, 2.0);
    EXPECT_LE(blockedFor, 3.0);
    EXPECT_EQ(sink.lines(), std::vector<std::string>{"CORBA Exception in NotifyCmd"});
}

TEST_F(StoppedPeer, RadioCommCallEndsWithTimeoutWithinFifteenSeconds) {
    ASSERT_TRUE(m_peer.start(PeerRole::Server, m_naming, m_dir.path())) << m_peer.error();
    TestOrb orb(OrbRole::Client, m_naming);
    const auto server = callServer("resolve", [&] { return resolveRadioComm(orb.orb()); });
    ASSERT_TRUE(server.ok()) << server.failure().name;
    m_peer.process().pause();

    const auto start = Clock::now();
    const auto result =
        callServer("GetInitialRadioInfo", [&] { return server.value()->GetInitialRadioInfo(); });
    const double waited = secondsSince(start);

    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().kind, CallFailure::Kind::System);
    EXPECT_EQ(result.failure().name, "TIMEOUT");
    EXPECT_GE(waited, 9.0);
    EXPECT_LE(waited, 15.0);
}

}  // namespace
