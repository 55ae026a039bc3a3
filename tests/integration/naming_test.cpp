// Finding each other through the naming service: from the configured host
// and port alone, with a command-line InitRef winning, rebinding, and the
// failures a caller meets.

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "RadioComm.hh"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

class Naming : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_naming.start()) << m_naming.error();
        m_orb = std::make_unique<TestOrb>(OrbRole::Client, m_naming);
    }
    void TearDown() override { m_orb.reset(); }

    CORBA::ORB_ptr orb() const { return m_orb->orb(); }

    // Connect through a freshly resolved "RadioComm", as the client does.
    CallResult<CORBA::Long> connectThroughNaming(const char* name = "RadioComm") {
        return callServer("Connect", [&] {
            CORBA::Object_var object = resolveName(orb(), name);
            RadioComm_var server = RadioComm::_narrow(object.in());
            return server->Connect("Pelorin");
        });
    }

    TempDir m_dir;
    NamingService m_naming;
    std::unique_ptr<TestOrb> m_orb;
};

struct LocateCase {
    const char* label;
    bool fromHostAndPort;
    bool deadConfiguredNamingHost;  // settings point nowhere; the InitRef must win
};
ROW_NAME(LocateCase, row.label);

class NamingLocate : public Naming, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(NamingLocate, PeerBindsAndIsFound) {
    const LocateCase& c = GetParam();
    PeerOptions options;
    options.namingFromHostAndPort = c.fromHostAndPort;
    const PortHold dead = PortHold::anyPort();
    ASSERT_TRUE(dead.holding()) << dead.error();
    if (c.deadConfiguredNamingHost) {
        options.extraArgs = {"--naming-host", "127.0.0.1", "--naming-port",
                             std::to_string(dead.port())};
    }
    PeerProcess peer;
    ASSERT_TRUE(peer.start(PeerRole::Server, m_naming, m_dir.path(), options)) << peer.error();

    const auto server = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_TRUE(server.ok()) << server.failure().name;
    ASSERT_FALSE(CORBA::is_nil(server.value().in()));
    EXPECT_EQ(server.value()->Connect("Pelorin"), 0);
    const auto records = peer.waitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].args, std::vector<std::string>{"Pelorin"});
}

INSTANTIATE_TEST_SUITE_P(Idl, NamingLocate,
                         ::testing::Values(LocateCase{"FromHostAndPort", true, false},
                                           LocateCase{"CommandLineInitRefWins", false, true}),
                         CaseName());

TEST_F(Naming, SecondRebindReplacesTheBinding) {
    PeerProcess first;
    PeerProcess second;
    PeerOptions firstOptions;
    firstOptions.bindName = "first";
    PeerOptions secondOptions;
    secondOptions.bindName = "second";
    ASSERT_TRUE(first.start(PeerRole::Server, m_naming, m_dir.path(), firstOptions))
        << first.error();
    ASSERT_TRUE(second.start(PeerRole::Server, m_naming, m_dir.path(), secondOptions))
        << second.error();

    CORBA::Object_var firstRef = resolveName(orb(), "first");
    CORBA::Object_var secondRef = resolveName(orb(), "second");
    rebindName(orb(), "RadioComm", firstRef.in());
    rebindName(orb(), "RadioComm", secondRef.in());

    const auto result = connectThroughNaming();
    ASSERT_TRUE(result.ok()) << result.failure().name;
    EXPECT_EQ(second.waitForRecords(1).size(), 1u);
    EXPECT_TRUE(first.records().empty());
}

TEST_F(Naming, RadioCommNameHoldingAnotherTypeGivesNil) {
    PeerProcess peer;
    PeerOptions options;
    options.bindName = "RadioComm";
    ASSERT_TRUE(peer.start(PeerRole::Client, m_naming, m_dir.path(), options)) << peer.error();

    const auto server = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_TRUE(server.ok()) << server.failure().name;
    EXPECT_TRUE(CORBA::is_nil(server.value().in()));
}

TEST_F(Naming, UnboundNameIsAHelperFailure) {
    const auto result = callServer("resolve", [&] { return resolveName(orb(), "Nobody"); });
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().kind, CallFailure::Kind::User);
    EXPECT_EQ(result.failure().name, "NotFound");

    const auto radio = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_FALSE(radio.ok());
    EXPECT_EQ(radio.failure().name, "NotFound");
}

TEST_F(Naming, KilledPeersBindingResolvesThenFailsTransient) {
    PeerProcess peer;
    ASSERT_TRUE(peer.start(PeerRole::Server, m_naming, m_dir.path())) << peer.error();
    const PortHold held = peer.process().killHoldingPorts();
    ASSERT_TRUE(held.holding()) << held.error();

    const auto object = callServer("resolve", [&] { return resolveName(orb(), "RadioComm"); });
    ASSERT_TRUE(object.ok()) << object.failure().name;
    EXPECT_FALSE(CORBA::is_nil(object.value().in()));

    const auto result = connectThroughNaming();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().kind, CallFailure::Kind::System);
    EXPECT_EQ(result.failure().name, "TRANSIENT");
}

TEST_F(Naming, BindingOutlivesANamingServiceRestart) {
    PeerProcess peer;
    ASSERT_TRUE(peer.start(PeerRole::Server, m_naming, m_dir.path())) << peer.error();
    ASSERT_TRUE(m_naming.restart()) << m_naming.error();

    const auto result = connectThroughNaming();
    ASSERT_TRUE(result.ok()) << result.failure().name;
    EXPECT_EQ(result.value(), 0);
}

// The ORB's connection to the killed service is dead but not yet known to
// be: each helper's first call meets it, and must still succeed.
TEST_F(Naming, HelpersWorkAtOnceAfterTheServiceWasKilledAndRestarted) {
    PeerProcess peer;
    ASSERT_TRUE(peer.start(PeerRole::Server, m_naming, m_dir.path())) << peer.error();
    const auto before = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_TRUE(before.ok()) << before.failure().name;

    ::kill(m_naming.pid(), SIGKILL);
    if (!m_naming.restart()) {
        GTEST_SKIP() << "the naming port was taken meanwhile: " << m_naming.error();
    }
    const auto resolved = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_TRUE(resolved.ok()) << resolved.failure().name;
    EXPECT_EQ(resolved.value()->Connect("Pelorin"), 0);

    ::kill(m_naming.pid(), SIGKILL);
    if (!m_naming.restart()) {
        GTEST_SKIP() << "the naming port was taken meanwhile: " << m_naming.error();
    }
    const auto rebound = callServer("rebind", [&] {
        rebindName(orb(), "second", resolved.value().in());
        return true;
    });
    ASSERT_TRUE(rebound.ok()) << rebound.failure().name;
}

TEST_F(Naming, StoppedNamingServiceIsAHelperFailure) {
    ASSERT_TRUE(m_naming.stop()) << m_naming.error();
    const auto result = callServer("resolve", [&] { return resolveRadioComm(orb()); });
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().kind, CallFailure::Kind::System);
    EXPECT_EQ(result.failure().name, "TRANSIENT");
}

}  // namespace
