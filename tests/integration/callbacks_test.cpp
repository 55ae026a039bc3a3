// Callbacks from the server side to a client-role peer through the
// NotifierHolder and callClient: order, reference swaps under load, and a
// peer that has gone.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RadioCmdNotification.hh"
#include "idl/call_helpers.h"
#include "idl/naming.h"
#include "idl/notifier_holder.h"
#include "tests/support/recording_call_sink.h"
#include "tests/support/test_support.h"

namespace {

using peer_protocol::Record;

class Callbacks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_naming.start()) << m_naming.error();
        ASSERT_TRUE(m_peer.start(PeerRole::Client, m_naming, m_dir.path())) << m_peer.error();
        m_orb = std::make_unique<TestOrb>(OrbRole::Server, m_naming);
    }
    void TearDown() override {
        m_holder.clear();
        m_orb.reset();
    }

    RadioCmdNotification_var resolveClient() {
        CORBA::Object_var object = resolveName(m_orb->orb(), "RadioCmdNotification");
        return RadioCmdNotification::_narrow(object.in());
    }

    // One callback the way the server's threads make it.
    bool notifyCmd(CORBA::Short code, const std::string& reply) {
        RadioCmdNotification_var client = m_holder.get();
        return callClient(
            "NotifyCmd", [&] { client->NotifyCmd(code, reply.c_str()); }, m_sink);
    }

    TempDir m_dir;
    NamingService m_naming;
    PeerProcess m_peer;
    std::unique_ptr<TestOrb> m_orb;
    NotifierHolder m_holder;
    RecordingCallSink m_sink;
};

TEST_F(Callbacks, ArriveCompleteAndInOrderOnTheOrbThread) {
    m_holder.set(resolveClient().in());
    std::vector<std::pair<std::string, std::vector<std::string>>> sent;
    for (int i = 0; i < 1000; ++i) {
        const auto code = static_cast<CORBA::Short>(i % 35);
        const std::string reply = "reply-" + std::to_string(i);
        ASSERT_TRUE(notifyCmd(code, reply));
        sent.push_back({"NotifyCmd", {std::to_string(code), reply}});
        if (i % 10 == 9) {
            RadioCmdNotification_var client = m_holder.get();
            const std::string chunk = "chunk-" + std::to_string(i);
            ASSERT_TRUE(callClient(
                "NotifyTextMessageSent", [&] { client->NotifyTextMessageSent(25, chunk.c_str()); },
                m_sink));
            sent.push_back({"NotifyTextMessageSent", {"25", chunk}});
        }
        if (i % 50 == 49) {
            RadioCmdNotification_var client = m_holder.get();
            ASSERT_TRUE(callClient(
                "NotifyTextMessageEmpty", [&] { client->NotifyTextMessageEmpty(); }, m_sink));
            sent.push_back({"NotifyTextMessageEmpty", {}});
        }
    }

    const std::vector<Record> records =
        m_peer.waitForRecords(sent.size(), std::chrono::seconds(30));
    ASSERT_EQ(records.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        ASSERT_EQ(records[i].operation, sent[i].first) << "call " << i;
        ASSERT_EQ(records[i].args, sent[i].second) << "call " << i;
        ASSERT_TRUE(records[i].onOrbThread) << "call " << i;
        ASSERT_EQ(records[i].inFlight, 1) << "call " << i;
    }
    EXPECT_TRUE(m_sink.lines().empty());
}

// The reply task and the CW task call the client through one holder at the
// same time; the client serves each connection on one thread. Each thread's
// own call-backs must reach it in the order that thread made them.
TEST_F(Callbacks, TwoCallingThreadsEachKeepTheirOrder) {
    m_holder.set(resolveClient().in());
    constexpr int kPerThread = 1000;
    std::atomic<bool> go{false};
    std::atomic<int> failures{0};
    auto caller = [&](CORBA::Short code) {
        while (!go) {
            std::this_thread::yield();
        }
        for (int i = 0; i < kPerThread; ++i) {
            if (!notifyCmd(code, std::to_string(i))) {
                ++failures;
            }
        }
    };
    std::thread replies(caller, CORBA::Short{1});
    std::thread cw(caller, CORBA::Short{2});
    go = true;
    replies.join();
    cw.join();
    ASSERT_EQ(failures.load(), 0);

    const std::vector<Record> records =
        m_peer.waitForRecords(2 * kPerThread, std::chrono::seconds(30));
    ASSERT_EQ(records.size(), 2u * kPerThread);
    int next[3] = {0, 0, 0};
    int outOfOrder = 0;
    for (const Record& record : records) {
        ASSERT_EQ(record.args.size(), 2u);
        const int code = std::stoi(record.args[0]);
        ASSERT_TRUE(code == 1 || code == 2) << record.args[0];
        if (std::stoi(record.args[1]) != next[code]) {
            ++outOfOrder;
        }
        next[code] = std::stoi(record.args[1]) + 1;
    }
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(next[1], kPerThread);
    EXPECT_EQ(next[2], kPerThread);
}

TEST_F(Callbacks, HolderSurvivesSwapsWhileCallsGoThrough) {
    m_holder.set(resolveClient().in());
    std::atomic<bool> swapping{true};
    std::atomic<int> calls{0};
    std::thread caller([&] {
        while (swapping) {
            if (notifyCmd(1, "swap")) {
                ++calls;
            }
        }
    });
    for (int i = 0; i < 1000; ++i) {
        RadioCmdNotification_var fresh = resolveClient();
        m_holder.set(fresh.in());
    }
    swapping = false;
    caller.join();

    EXPECT_GT(calls.load(), 0);
    EXPECT_TRUE(m_sink.lines().empty());
    ASSERT_TRUE(notifyCmd(2, "after the last swap"));
    const auto records =
        m_peer.waitForRecords(static_cast<std::size_t>(calls.load()) + 1, std::chrono::seconds(30));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().args, (std::vector<std::string>{"2", "after the last swap"}));
}

TEST_F(Callbacks, CallToAKilledPeerIsLoggedAndReportedAsFailure) {
    m_holder.set(resolveClient().in());
    ASSERT_TRUE(notifyCmd(1, "alive"));
    const PortHold held = m_peer.process().killHoldingPorts();
    ASSERT_TRUE(held.holding()) << held.error();
    // The first oneway after the peer died may still be written into the
    // dead connection; the next ones must fail.
    bool delivered = true;
    for (int attempt = 0; attempt < 3 && delivered; ++attempt) {
        delivered = notifyCmd(1, "gone");
    }
    EXPECT_FALSE(delivered);
    const auto lines = m_sink.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "CORBA Exception in NotifyCmd");
}

TEST_F(Callbacks, EmptyHolderGivesNil) {
    EXPECT_TRUE(CORBA::is_nil(m_holder.get().in()));
    m_holder.set(resolveClient().in());
    EXPECT_FALSE(CORBA::is_nil(m_holder.get().in()));
    m_holder.clear();
    EXPECT_TRUE(CORBA::is_nil(m_holder.get().in()));
}

}  // namespace
