// Upcalls of a served object run on its ORB thread, one at a time, however
// many callers there are.

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "RadioComm.hh"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "tests/support/test_support.h"

namespace {

TEST(Upcalls, ConcurrentCallersAreServedOneAtATimeOnTheOrbThread) {
    TempDir dir;
    NamingService naming;
    ASSERT_TRUE(naming.start()) << naming.error();
    PeerProcess peer;
    PeerOptions options;
    options.delayOperation = "GetInitialRadioInfo";
    options.delayMs = 300;
    ASSERT_TRUE(peer.start(PeerRole::Server, naming, dir.path(), options)) << peer.error();

    auto orb = std::make_unique<TestOrb>(OrbRole::Client, naming);
    const auto server = callServer("resolve", [&] { return resolveRadioComm(orb->orb()); });
    ASSERT_TRUE(server.ok()) << server.failure().name;
    ASSERT_FALSE(CORBA::is_nil(server.value().in()));

    std::vector<CORBA::Long> results(9, -1);
    std::vector<std::thread> callers;
    for (int t = 0; t < 3; ++t) {
        callers.emplace_back([&, t] {
            for (int n = 0; n < 3; ++n) {
                const auto result = callServer(
                    "GetInitialRadioInfo", [&] { return server.value()->GetInitialRadioInfo(); });
                results[static_cast<std::size_t>(3 * t + n)] = result.ok() ? result.value() : -1;
            }
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }

    EXPECT_EQ(results, std::vector<CORBA::Long>(9, 6));
    const auto records = peer.waitForRecords(9);
    ASSERT_EQ(records.size(), 9u);
    for (const auto& record : records) {
        EXPECT_EQ(record.operation, "GetInitialRadioInfo");
        EXPECT_TRUE(record.onOrbThread);
        EXPECT_EQ(record.inFlight, 1);
    }
}

}  // namespace
