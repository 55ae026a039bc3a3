// The client's ORB set-up, callback servant and RadioComm proxy over a real
// ORB: omniNames on a free port, the test peer as the server.
//
// One ORB per process: the naming service and the client ORB are set up once
// and shared by the tests of this program.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "client/base/client_orb.h"
#include "client/base/notify_messages.h"
#include "client/base/radio_comm_proxy.h"
#include "platform/window_registry.h"
#include "tests/support/event_wait.h"
#include "tests/support/test_support.h"
#include "tests/unit/client/base/shared_client_orb.h"

namespace {

using namespace std::chrono_literals;
using peer_protocol::Record;

class RecordingWindow : public WindowMessageTarget {
  public:
    void onWindowMessage(const WindowMessage& message) override { messages.push_back(message); }
    std::vector<WindowMessage> messages;
};

SharedClientOrb& shared() {
    return sharedClientOrb("remote_orb_test");
}

using test_events::pumpUntil;

class RemoteOrb : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(shared().ok) << shared().error;
        ASSERT_TRUE(ClientOrb::waitReady(10s));
        ASSERT_TRUE(m_peer.start(PeerRole::Server, shared().naming, m_dir.path()))
            << m_peer.error();
        m_proxy.setFailureHandler(
            [this](const RemoteFailure& failure) { m_failures.push_back(failure); });
    }

    TempDir m_dir;
    PeerProcess m_peer;
    RadioCommProxy m_proxy;
    std::vector<RemoteFailure> m_failures;
};

TEST_F(RemoteOrb, ThousandNotifyCmdArriveInOrder) {
    RecordingWindow panel;
    WindowRegistration registration(kFrontPanelTitle, &panel);
    ASSERT_EQ(m_peer.command("notify-numbered 18 1000"), "ok");
    ASSERT_TRUE(pumpUntil(20s, [&] { return panel.messages.size() >= 1000; }))
        << panel.messages.size() << " arrived";
    ASSERT_EQ(panel.messages.size(), 1000u);
    for (std::size_t i = 0; i < panel.messages.size(); ++i) {
        ASSERT_EQ(panel.messages[i].message, WM_RADIO_REPLY);
        ASSERT_EQ(panel.messages[i].wParam, 18);
        ASSERT_EQ(panel.messages[i].text, std::to_string(i)) << "at " << i;
    }
}

TEST_F(RemoteOrb, ConnectBackReachesThePanel) {
    RecordingWindow panel;
    WindowRegistration registration(kFrontPanelTitle, &panel);
    ASSERT_EQ(m_peer.command("connect-back"), "ok");
    ASSERT_TRUE(pumpUntil(10s, [&] { return panel.messages.size() >= 2; }));
    EXPECT_EQ(panel.messages[0].text, "Pelorin - Connecting requested from Brakton");
    EXPECT_EQ(panel.messages[1].wParam, SERVER_STATUS_CONNECTED);
}

TEST_F(RemoteOrb, ProxyCallsCarryArgumentsAndResults) {
    ASSERT_TRUE(m_proxy.resolve(5s));
    EXPECT_EQ(m_proxy.Connect("Pelorin"), RemoteStatus(0));
    EXPECT_EQ(m_proxy.OperatingMode(1, 3), RemoteStatus(23));
    EXPECT_EQ(m_proxy.VFOFreq(1, 0, 14060000), RemoteStatus(16));
    EXPECT_EQ(m_proxy.RITTuning(-1, 20), RemoteStatus(7));
    EXPECT_TRUE(m_proxy.EchoString("Pelorin - Connecting requested from Brakton"));
    EXPECT_EQ(m_proxy.KeyboardCW("CQ CQ"), RemoteStatus(39));
    EXPECT_EQ(m_proxy.FrequencyScan(7000000, 7300000), RemoteStatus(42));
    RadioMemInfo info;
    info.ulVFOA_Freq = 7030000;
    info.ulVFOB_Freq = 7040000;
    info.uiOpMode = 3;
    info.bXITEnable = 1;
    EXPECT_EQ(m_proxy.DownloadRadioInfo(info), RemoteStatus(8));
    LastFreqVisitArray bank;
    bank.VfoBank[0] = {28060000, 28070000};
    bank.VfoBank[8] = {1810000, -1};
    EXPECT_EQ(m_proxy.WriteVFOFreqCache(bank), RemoteStatus(5));
    EXPECT_EQ(m_proxy.Disconnect(), RemoteStatus(1));
    EXPECT_TRUE(m_failures.empty());

    const auto records = m_peer.waitForRecords(10);
    ASSERT_EQ(records.size(), 10u);
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected{
        {"Connect", {"Pelorin"}},
        {"OperatingMode", {"1", "3"}},
        {"VFOFreq", {"1", "0", "14060000"}},
        {"RITTuning", {"-1", "20"}},
        {"EchoString", {"Pelorin - Connecting requested from Brakton"}},
        {"KeyboardCW", {"CQ CQ"}},
        {"FrequencyScan", {"7000000", "7300000"}},
        {"DownloadRadioInfo", {"7030000,7040000,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1"}},
        {"WriteVFOFreqCache", {"28060000,28070000,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1810000,-1"}},
        {"Disconnect", {}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(records[i].operation, expected[i].first) << i;
        EXPECT_EQ(records[i].args, expected[i].second) << i;
    }
}

TEST_F(RemoteOrb, ScriptedOutArgumentsArriveInPlainStructs) {
    std::string bands = "bands";
    std::string vfos = "vfos";
    for (int i = 0; i < pelorin::kBandCount; ++i) {
        bands +=
            " " + std::to_string(1000000 * (i + 1)) + " " + std::to_string(1000000 * (i + 1) + 500);
        vfos += " " + std::to_string(100 + i) + " " + std::to_string(200 + i);
    }
    ASSERT_EQ(m_peer.command(bands), "ok");
    ASSERT_EQ(m_peer.command(vfos), "ok");
    ASSERT_EQ(m_peer.command("rfamp 1"), "ok");
    ASSERT_TRUE(m_proxy.resolve(5s));

    HamRadioBandInfo bandInfo;
    EXPECT_EQ(m_proxy.ReadHAMRadioBandInfo(bandInfo), RemoteStatus(3));
    LastFreqVisitArray cache;
    EXPECT_EQ(m_proxy.ReadVFOFreqCache(cache), RemoteStatus(4));
    int rfAmp = -5;
    EXPECT_EQ(m_proxy.QueryRFAmpStatus(rfAmp), RemoteStatus(9));
    for (int i = 0; i < pelorin::kBandCount; ++i) {
        const auto& band = bandInfo.Info[static_cast<std::size_t>(i)];
        EXPECT_EQ(band.uiBandFreq, i);
        EXPECT_EQ(band.ulLowBandEdge, 1000000 * (i + 1));
        EXPECT_EQ(band.ulHighBandEdge, 1000000 * (i + 1) + 500);
        EXPECT_EQ(cache.VfoBank[static_cast<std::size_t>(i)][0], 100 + i);
        EXPECT_EQ(cache.VfoBank[static_cast<std::size_t>(i)][1], 200 + i);
    }
    EXPECT_EQ(rfAmp, 1);
}

TEST_F(RemoteOrb, SystemExceptionRunsHandlerAndLeavesOutArguments) {
    ASSERT_TRUE(m_proxy.resolve(5s));
    ASSERT_EQ(m_peer.command("raise-next"), "ok");
    int rfAmp = -5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_proxy.QueryRFAmpStatus(rfAmp), std::nullopt);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rfAmp, -5);
    ASSERT_EQ(m_failures.size(), 1u);
    EXPECT_EQ(m_failures[0].operation, "QueryRFAmpStatus");
    EXPECT_EQ(m_failures[0].name, "INTERNAL");
    EXPECT_TRUE(m_failures[0].corba);
    EXPECT_NE(errors.find("CORBA Exception in QueryRFAmpStatus"), std::string::npos) << errors;

    // Only the next call fails.
    EXPECT_EQ(m_proxy.QueryRFAmpStatus(rfAmp), RemoteStatus(9));
    EXPECT_EQ(m_failures.size(), 1u);
}

TEST_F(RemoteOrb, DeadServerFailsEveryCallWithoutThrowing) {
    ASSERT_TRUE(m_proxy.resolve(5s));
    m_peer.command("exit");  // answers once the peer has gone
    ASSERT_FALSE(m_peer.process().running());
    const auto started = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_proxy.GetInitialRadioInfo(), std::nullopt);
    EXPECT_FALSE(m_proxy.EchoString("anyone?"));
    testing::internal::GetCapturedStderr();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 25s);
    ASSERT_EQ(m_failures.size(), 2u);
    EXPECT_EQ(m_failures[0].operation, "GetInitialRadioInfo");
    EXPECT_EQ(m_failures[1].operation, "EchoString");
}

TEST_F(RemoteOrb, HandlerMayDropTheReference) {
    ASSERT_TRUE(m_proxy.resolve(5s));
    m_proxy.setFailureHandler([this](const RemoteFailure& failure) {
        m_failures.push_back(failure);
        m_proxy.reset();
    });
    ASSERT_EQ(m_peer.command("raise-next"), "ok");
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_proxy.TuneTransmitter(), std::nullopt);
    EXPECT_TRUE(m_proxy.isNil());
    EXPECT_EQ(m_proxy.TuneTransmitter(), std::nullopt);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(m_failures.size(), 2u);
    EXPECT_EQ(m_failures[1].name, "OBJECT_NOT_EXIST");
    EXPECT_EQ(m_peer.records().size(), 1u);  // the nil call reached nobody
}

TEST_F(RemoteOrb, ResolveFailsWithoutNamingService) {
    ASSERT_TRUE(shared().naming.stop()) << shared().naming.error();
    testing::internal::CaptureStderr();
    const bool resolved = m_proxy.resolve(1s);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(shared().naming.restart()) << shared().naming.error();
    EXPECT_FALSE(resolved);
    EXPECT_TRUE(m_proxy.isNil());
    EXPECT_TRUE(m_failures.empty());  // the caller reports a failed connect itself
    EXPECT_NE(errors.find("CORBA Exception in resolve"), std::string::npos) << errors;
}

}  // namespace
