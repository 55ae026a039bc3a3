// The callback servant called directly, its deliveries through the
// window-title registry, and the client's naming-host rule.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "client/base/client_orb.h"
#include "client/base/notify_messages.h"
#include "client/base/radio_cmd_notify_servant.h"
#include "platform/window_registry.h"
#include "tests/support/row_names.h"

namespace {

class RecordingWindow : public WindowMessageTarget {
  public:
    void onWindowMessage(const WindowMessage& message) override { messages.push_back(message); }
    std::vector<WindowMessage> messages;
};

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "notify_servant_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

class NotifyServant : public ::testing::Test {
  protected:
    void SetUp() override { app(); }

    // Runs the queued deliveries.
    void deliver() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    CRadioCmdNotifyServant m_servant{PortableServer::POA::_nil()};
    RecordingWindow m_panel;
};

struct DeliveryCase {
    const char* name;
    void (*call)(CRadioCmdNotifyServant&);
    unsigned int message;
    int wParam;
    long lParam;
    std::string text;
};
ROW_NAME(DeliveryCase, row.name);

class NotifyServantDelivery : public NotifyServant,
                              public ::testing::WithParamInterface<DeliveryCase> {};

const DeliveryCase kDeliveries[] = {
    {"ModeReply", [](CRadioCmdNotifyServant& s) { s.NotifyCmd(18, "MD3;"); }, WM_RADIO_REPLY, 18, 0,
     "MD3;"},
    {"NegativeCodeStaysNegative", [](CRadioCmdNotifyServant& s) { s.NotifyCmd(-1, "x"); },
     WM_RADIO_REPLY, -1, 0, "x"},
    {"LongReplyCutAt99",
     [](CRadioCmdNotifyServant& s) { s.NotifyCmd(5, std::string(300, 'F').c_str()); },
     WM_RADIO_REPLY, 5, 0, std::string(99, 'F')},
    {"Reply99Whole",
     [](CRadioCmdNotifyServant& s) { s.NotifyCmd(5, std::string(99, 'G').c_str()); },
     WM_RADIO_REPLY, 5, 0, std::string(99, 'G')},
    {"UtfTextNotCutInsideCharacter",
     [](CRadioCmdNotifyServant& s) { s.NotifyCmd(1, (std::string(98, 'a') + "\xC3\xA9").c_str()); },
     WM_RADIO_REPLY, 1, 0, std::string(98, 'a')},
    {"TextSentLengthIgnored", [](CRadioCmdNotifyServant& s) { s.NotifyTextMessageSent(0, "CQ "); },
     WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, "CQ "},
    {"TextSent", [](CRadioCmdNotifyServant& s) { s.NotifyTextMessageSent(3, "CQ "); },
     WM_NOTIFY_TXTMESG_SENT, TXTMESG_SENT, 0, "CQ "},
    {"TextEmpty", [](CRadioCmdNotifyServant& s) { s.NotifyTextMessageEmpty(); },
     WM_NOTIFY_TXTMESG_SENT, TXTMESG_EMPTY, 0, ""},
    {"RfAmpOn", [](CRadioCmdNotifyServant& s) { s.NotifyRFAmpOptionChange(1); },
     WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_RF_AMP_OPTION, 1, ""},
    {"RfAmpOff", [](CRadioCmdNotifyServant& s) { s.NotifyRFAmpOptionChange(0); },
     WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_RF_AMP_OPTION, 0, ""},
};

TEST_P(NotifyServantDelivery, DeliversOneMessageByValue) {
    const DeliveryCase& c = GetParam();
    WindowRegistration registration(kFrontPanelTitle, &m_panel);
    c.call(m_servant);
    deliver();
    ASSERT_EQ(m_panel.messages.size(), 1u);
    const WindowMessage& got = m_panel.messages[0];
    EXPECT_EQ(got.message, c.message);
    EXPECT_EQ(got.wParam, c.wParam);
    EXPECT_EQ(got.lParam, c.lParam);
    EXPECT_EQ(got.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Operations, NotifyServantDelivery, ::testing::ValuesIn(kDeliveries),
                         CaseName());

TEST_F(NotifyServant, ConnectSendsNoticeOneWithTextThenTwo) {
    WindowRegistration registration(kFrontPanelTitle, &m_panel);
    m_servant.Connect("Brakton");
    deliver();
    ASSERT_EQ(m_panel.messages.size(), 2u);
    EXPECT_EQ(m_panel.messages[0].message, WM_NOTIFY_SERVER_STATUS);
    EXPECT_EQ(m_panel.messages[0].wParam, SERVER_STATUS_CONNECT_NOTICE);
    EXPECT_EQ(m_panel.messages[0].text, "Pelorin - Connecting requested from Brakton");
    EXPECT_EQ(m_panel.messages[1].message, WM_NOTIFY_SERVER_STATUS);
    EXPECT_EQ(m_panel.messages[1].wParam, SERVER_STATUS_CONNECTED);
    EXPECT_TRUE(m_servant.connected());
    EXPECT_EQ(m_servant.requester(), "Brakton");

    m_servant.Disconnect();
    deliver();
    EXPECT_EQ(m_panel.messages.size(), 2u);
    EXPECT_FALSE(m_servant.connected());
    EXPECT_EQ(m_servant.requester(), "");
}

TEST_F(NotifyServant, LongRequesterStillGivesBoundedNotice) {
    WindowRegistration registration(kFrontPanelTitle, &m_panel);
    m_servant.Connect(std::string(200, 'B').c_str());
    deliver();
    ASSERT_EQ(m_panel.messages.size(), 2u);
    EXPECT_EQ(m_panel.messages[0].text.size(), kNotifyTextMax);
}

TEST_F(NotifyServant, NoticeBeforePanelExistsIsDroppedNextOneArrives) {
    m_servant.NotifyCmd(18, "MD1;");
    deliver();
    {
        WindowRegistration registration(kFrontPanelTitle, &m_panel);
        m_servant.NotifyCmd(18, "MD2;");
        deliver();
    }
    m_servant.NotifyCmd(18, "MD3;");
    deliver();
    ASSERT_EQ(m_panel.messages.size(), 1u);
    EXPECT_EQ(m_panel.messages[0].text, "MD2;");
}

TEST_F(NotifyServant, WindowOfAnotherTitleGetsNothing) {
    WindowRegistration registration("Elecraft K2 Front Panel ", &m_panel);
    m_servant.NotifyCmd(18, "MD3;");
    deliver();
    EXPECT_TRUE(m_panel.messages.empty());
}

struct HostCase {
    const char* name;
    std::string host;
    int port;
    std::string expectedInitRef;
};
ROW_NAME(HostCase, row.name);

class ClientNamingHost : public ::testing::TestWithParam<HostCase> {};

const HostCase kHosts[] = {
    {"Localhost", "localhost", 10000, "NameService=corbaloc::localhost:10000/NameService"},
    {"LoopbackAddress", "127.0.0.1", 10000, "NameService=corbaloc::localhost:10000/NameService"},
    {"UpperCaseLocalhost", "LOCALHOST", 10000, "NameService=corbaloc::localhost:10000/NameService"},
    {"RemoteHost", "shack.example.net", 2809,
     "NameService=corbaloc::shack.example.net:2809/NameService"},
};

TEST_P(ClientNamingHost, GivesTheClientOptions) {
    const HostCase& c = GetParam();
    const std::vector<OrbOption> expected{
        {"InitRef", c.expectedInitRef}, {"maxServerThreadPerConnection", "1"}, {"strictIIOP", "0"}};
    EXPECT_EQ(clientOrbOptions(c.host, c.port, {"Pelorin"}), expected);
}

INSTANTIATE_TEST_SUITE_P(Hosts, ClientNamingHost, ::testing::ValuesIn(kHosts), CaseName());

TEST(ClientNamingHostArgs, CommandLineNamingServiceWins) {
    const auto options = clientOrbOptions(
        "shack.example.net", 2809,
        {"Pelorin", "-ORBInitRef", "NameService=corbaloc::elsewhere:1/NameService"});
    const std::vector<OrbOption> expected{{"maxServerThreadPerConnection", "1"},
                                          {"strictIIOP", "0"}};
    EXPECT_EQ(options, expected);
}

}  // namespace
