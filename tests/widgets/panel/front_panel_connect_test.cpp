// Connecting, the server notices, a server that goes away, the exit and the
// keys that close (or must not close) the panel, against a fake server.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSlider>
#include <QTimer>

#include <functional>

#include "client/panel/front_panel_layout.h"
#include "controls/digi_marquee.h"
#include "controls/edit_ex.h"
#include "controls/static_ex.h"
#include "front_panel_fixture.h"
#include "tests/support/row_names.h"

using namespace front_panel;

namespace {

const std::string kBoxLine = "error\tCORBA exception raised - Unable to Connect To Brakton!";

class PanelConnect : public FrontPanelFixture {
  protected:
    CDigiMarquee* status() const {
        return qobject_cast<CDigiMarquee*>(m_panel->control(IDC_STATUS));
    }
    CStaticEx* connectTo() const {
        return qobject_cast<CStaticEx*>(m_panel->control(IDC_CONNECT_TO));
    }
    QComboBox* bandCombo() const {
        return qobject_cast<QComboBox*>(m_panel->control(IDC_BAND_COMBO));
    }
    // Start-up with a server that answers, then its call-back.
    void connectAndCallBack() {
        makePanel();
        notice(SERVER_STATUS_CONNECT_NOTICE, 0, "Pelorin - Connecting requested from Brakton");
        notice(SERVER_STATUS_CONNECTED);
    }
};

TEST_F(PanelConnect, NoServerShowsTheBoxOnceAndARedStatus) {
    m_remote.m_resolveOk = false;
    CK2FrontPanelControlDlg& panel = makePanel();

    EXPECT_EQ(messages(), std::vector<std::string>{kBoxLine});
    EXPECT_EQ(panel.statusText(), "Unable to connect to Brakton");
    EXPECT_EQ(panel.statusKind(), 2);
    EXPECT_EQ(status()->GetOnColor(), 0x0000FFu);
    EXPECT_EQ(status()->GetOffColor(), 0x000034u);
    EXPECT_TRUE(m_remote.isNil());
    EXPECT_EQ(m_remote.count("Connect"), 0) << "no call on a nil reference";
    EXPECT_EQ(m_remote.m_resolveWait, std::chrono::milliseconds(5000));
    EXPECT_EQ(panel.model().m_bConnected, 0);
    EXPECT_EQ(qobject_cast<CEditEx*>(panel.control(IDC_VFOA))->text(),
              QStringLiteral("  28060.00"));
    EXPECT_EQ(qobject_cast<CEditEx*>(panel.control(IDC_VFOB))->text(),
              QStringLiteral("  14060.00"));
    EXPECT_FALSE(panel.result() == QDialog::Accepted);
    saveScreenshot("panel-connect-failed.png");
}

TEST_F(PanelConnect, AFailedConnectCallIsTheSameFailure) {
    m_remote.m_failing = {"Connect"};
    CK2FrontPanelControlDlg& panel = makePanel();
    EXPECT_EQ(messages(), std::vector<std::string>{kBoxLine});
    EXPECT_EQ(panel.statusText(), "Unable to connect to Brakton");
    EXPECT_TRUE(m_remote.isNil());
}

TEST_F(PanelConnect, ConnectAsksTheServerOnceWithTheClientName) {
    CK2FrontPanelControlDlg& panel = makePanel();
    EXPECT_EQ(m_remote.m_connectNames, std::vector<std::string>{"Pelorin"});
    EXPECT_EQ(panel.statusText(), "Connecting to Brakton...");
    EXPECT_EQ(panel.statusKind(), 1);
    EXPECT_EQ(panel.model().m_bConnected, 0) << "only the call-back makes the link";
    EXPECT_TRUE(messages().empty());
}

// "Connect To Brakton": while the panel believes it is connected, one cheap
// call tells a gone server from one that has only stopped calling back;
// either way the press connects again and the next call-back brings the
// radio back.
struct PressCase {
    const char* name;
    bool connected;
    bool serverAnswers;
    std::vector<std::string> calls;
    const char* link;    // link indicator after the press
    const char* status;  // status line after the press
};
ROW_NAME(PressCase, row.name);

const PressCase kPresses[] = {
    {"NotConnected", false, true, {"resolve", "Connect"}, "   LAN", "Connecting to Brakton..."},
    {"ServerGone",
     true,
     false,
     {"EchoString", "resolve", "Connect"},
     "None",
     "Connecting to Brakton..."},
    {"ServerStoppedCallingBack",
     true,
     true,
     {"EchoString", "resolve", "Connect"},
     "   LAN",
     "Connecting to Brakton..."},
};

class PanelConnectPress : public PanelConnect, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PanelConnectPress, ConnectsAgainAndTheCallBackBringsTheRadio) {
    const PressCase& row = GetParam();
    makePanel();
    notice(SERVER_STATUS_CONNECT_NOTICE, 0, "Pelorin - Connecting requested from Brakton");
    if (row.connected) {
        notice(SERVER_STATUS_CONNECTED);
    }
    if (!row.serverAnswers) {
        m_remote.m_failing = {"EchoString"};
    }
    m_remote.m_calls.clear();

    qobject_cast<QAbstractButton*>(m_panel->control(IDC_CONNECT))->click();

    EXPECT_EQ(m_remote.m_calls, row.calls);
    EXPECT_EQ(connectTo()->text().toStdString(), row.link);
    EXPECT_EQ(m_panel->statusText(), row.status);
    EXPECT_TRUE(messages().empty()) << "no box while the server is there";

    m_remote.m_failing.clear();
    m_remote.m_calls.clear();
    notice(SERVER_STATUS_CONNECT_NOTICE, 0, "Pelorin - Connecting requested from Brakton");
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(m_panel->model().m_bConnected, 1);
    EXPECT_EQ(connectTo()->text(), QStringLiteral("   LAN"));
    EXPECT_EQ(m_remote.count("GetInitialRadioInfo"), 1);
    EXPECT_EQ(m_remote.count("EnableStatusQuery"), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelConnectPress, ::testing::ValuesIn(kPresses), CaseName());

TEST_F(PanelConnect, CallBackLightsTheLinkAndLoadsTheRadio) {
    int splashHidden = 0;
    PanelEntryPoints entry;
    entry.hideSplash = [&splashHidden] { ++splashHidden; };
    makePanel(true, entry);
    m_remote.m_calls.clear();

    notice(SERVER_STATUS_CONNECTED);

    EXPECT_EQ(splashHidden, 1);
    EXPECT_EQ(connectTo()->text(), QStringLiteral("   LAN"));
    EXPECT_EQ(connectTo()->GetBkColor(), 0x00FF00u);
    EXPECT_EQ(connectTo()->GetTextColor(), 0x000000u);
    EXPECT_EQ(m_panel->statusText(), "");
    EXPECT_EQ(m_panel->model().m_bConnected, 1);
    EXPECT_EQ(
        m_remote.m_calls,
        (std::vector<std::string>{"ReadHAMRadioBandInfo", "ReadVFOFreqCache", "GetInitialRadioInfo",
                                  "QueryRFAmpStatus", "EnableStatusQuery"}));
    ASSERT_EQ(bandCombo()->count(), 9);
    EXPECT_EQ(bandCombo()->itemText(0), QStringLiteral("  10M"));
    EXPECT_EQ(bandCombo()->itemText(8), QStringLiteral(" 160M"));
    EXPECT_EQ(bandCombo()->currentIndex(), 0) << "28.06 MHz is in the 10 m band";
    EXPECT_EQ(m_panel->model().m_CurTuningRange.nBand, 0);
    EXPECT_EQ(m_panel->model().m_VfoBank[4][1], 14002000u);
    EXPECT_EQ(m_panel->model().m_bRFAmpOption, 1);
    EXPECT_EQ(m_store.GetTuningRangeName(5), "  30M");

    // The whole 10 m band is the slider's window (span " Full").
    auto* tuning = qobject_cast<QSlider*>(m_panel->control(IDC_TUNING_SLIDER));
    EXPECT_EQ(tuning->minimum(), 2800000);
    EXPECT_EQ(tuning->maximum(), 2970000);
    EXPECT_EQ(tuning->value(), 2806000);
    saveScreenshot("panel-connected.png");
}

TEST_F(PanelConnect, ASecondCallBackKeepsNineBands) {
    connectAndCallBack();
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(bandCombo()->count(), 9);
}

TEST_F(PanelConnect, BandOutsideTheTableSelectsNothing) {
    // VFO A lies in no band of the server's table.
    for (RadioBandInfo& band : m_remote.m_bands.Info) {
        band.ulLowBandEdge = 1000;
        band.ulHighBandEdge = 2000;
    }
    makePanel();
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(bandCombo()->count(), 9);
    EXPECT_EQ(bandCombo()->currentIndex(), -1);
}

TEST_F(PanelConnect, ConnectNoticeIsEchoedOnlyWhenConnected) {
    makePanel();
    notice(SERVER_STATUS_CONNECT_NOTICE, 0, "Pelorin - Connecting requested from Brakton");
    EXPECT_TRUE(m_remote.m_echoed.empty());
    EXPECT_EQ(connectTo()->text(), QStringLiteral("   LAN")) << "any first notice lights it";
    notice(SERVER_STATUS_CONNECTED);
    notice(SERVER_STATUS_CONNECT_NOTICE, 0, "again");
    EXPECT_EQ(m_remote.m_echoed, std::vector<std::string>{"again"});
}

TEST_F(PanelConnect, RfAmplifierNoticeSetsTheOption) {
    connectAndCallBack();
    notice(SERVER_STATUS_RF_AMP_OPTION, 0);
    EXPECT_EQ(m_panel->model().m_bRFAmpOption, 0);
    notice(SERVER_STATUS_RF_AMP_OPTION, 7);
    EXPECT_EQ(m_panel->model().m_bRFAmpOption, 1);
}

TEST_F(PanelConnect, NoticesReachThePanelThroughItsTitle) {
    makePanel();
    WindowMessage message{WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECTED, 0, {}};
    ASSERT_TRUE(WindowRegistry::post(kFrontPanelTitle, message));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_panel->model().m_bConnected, 1);
}

TEST_F(PanelConnect, ADeadServerDisconnectsThePanelAndItCanConnectAgain) {
    connectAndCallBack();
    m_remote.m_failing = {"EchoString"};
    notice(SERVER_STATUS_CONNECT_NOTICE, 0, "text");

    EXPECT_EQ(m_panel->model().m_bConnected, 0);
    EXPECT_EQ(m_panel->statusText(), "Lost connection to Brakton");
    EXPECT_EQ(m_panel->statusKind(), 2);
    EXPECT_EQ(connectTo()->text(), QStringLiteral("None"));
    EXPECT_EQ(connectTo()->GetBkColor(), 0xC0C0C0u);
    EXPECT_TRUE(messages().empty()) << "a lost connection shows no box";

    m_remote.m_failing.clear();
    qobject_cast<QAbstractButton*>(m_panel->control(IDC_CONNECT))->click();
    EXPECT_EQ(m_remote.count("Connect"), 2);
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(m_panel->model().m_bConnected, 1);
    EXPECT_EQ(connectTo()->text(), QStringLiteral("   LAN")) << "the next call-back lights it";
}

TEST_F(PanelConnect, AFailureDuringTheCallBackStopsItsSequence) {
    makePanel();
    m_remote.m_calls.clear();
    m_remote.m_failing = {"ReadVFOFreqCache"};
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(m_remote.m_calls,
              (std::vector<std::string>{"ReadHAMRadioBandInfo", "ReadVFOFreqCache"}));
    EXPECT_EQ(m_panel->model().m_bConnected, 0);
    EXPECT_EQ(m_panel->statusText(), "Lost connection to Brakton");
}

// --- Refused commands --------------------------------------------------------

// A command the server answers with a refusal: its words in red on the
// status line; "not connected" also takes the panel's disconnected path.
struct RefusalCase {
    const char* name;
    std::int32_t status;
    const char* text;
    bool staysConnected;
};
ROW_NAME(RefusalCase, row.name);

const RefusalCase kRefusals[] = {
    {"PortNotOpen", 0x2000003, "Radio port not open", true},
    {"PortWriteFailed", 0x2000004, "Radio port not open", true},
    {"InvalidValue", 0x3000001, "Invalid value", true},
    {"OtherCode", 0x2000001, "Brakton error 0x2000001", true},
    {"SmallCodeInSevenDigits", 23, "Brakton error 0x0000017", true},
    {"NotConnected", 0x1000004, "Not connected to Brakton", false},
};

class PanelRefusal : public PanelConnect, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PanelRefusal, ShowsItsWordsInRed) {
    const RefusalCase& row = GetParam();
    connectAndCallBack();
    m_remote.m_answers["OperatingMode"] = row.status;

    qobject_cast<QAbstractButton*>(m_panel->control(IDC_MODE_CW))->click();

    EXPECT_EQ(m_remote.count("OperatingMode"), 1);
    EXPECT_EQ(m_panel->statusText(), row.text);
    EXPECT_EQ(m_panel->statusKind(), 2);
    EXPECT_EQ(status()->GetOnColor(), 0x0000FFu);
    EXPECT_EQ(m_panel->model().m_bConnected, row.staysConnected ? 1 : 0);
    EXPECT_EQ(connectTo()->text(),
              row.staysConnected ? QStringLiteral("   LAN") : QStringLiteral("None"));
    EXPECT_TRUE(messages().empty());

    // The next command clears the line as usual; once disconnected it makes
    // no call.
    m_remote.m_answers.clear();
    m_remote.m_calls.clear();
    qobject_cast<QAbstractButton*>(m_panel->control(IDC_MODE_CW))->click();
    EXPECT_EQ(m_remote.count("OperatingMode"), row.staysConnected ? 1 : 0);
    EXPECT_EQ(m_panel->statusText(), "");
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelRefusal, ::testing::ValuesIn(kRefusals), CaseName());

TEST_F(PanelConnect, NoRadioPortShowsOnceWhenTheCallBackLoadsTheRadio) {
    makePanel();
    m_remote.m_answers = {{"GetInitialRadioInfo", 0x2000003}, {"EnableStatusQuery", 0x2000003}};
    m_remote.m_calls.clear();
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(
        m_remote.m_calls,
        (std::vector<std::string>{"ReadHAMRadioBandInfo", "ReadVFOFreqCache", "GetInitialRadioInfo",
                                  "QueryRFAmpStatus", "EnableStatusQuery"}));
    EXPECT_EQ(m_panel->statusText(), "Radio port not open");
    EXPECT_EQ(m_panel->statusKind(), 2);
    EXPECT_EQ(m_panel->model().m_bConnected, 1) << "the server is there, the radio is not";
}

// While a refusal's words stand on the status line, the same refusal does
// not start them over: the line keeps scrolling.
class ScrollingRemote : public FakePanelRemote {
  public:
    std::function<void()> m_betweenRefusals;
    RemoteStatus QueryRFAmpStatus(int& rfAmpStatus) override {
        if (m_betweenRefusals) {
            m_betweenRefusals();
        }
        return FakePanelRemote::QueryRFAmpStatus(rfAmpStatus);
    }
};

TEST_F(PanelConnect, TheSameRefusalAgainLeavesTheScrollingLineAlone) {
    ScrollingRemote remote;
    CK2FrontPanelControlDlg panel(remote, m_store);
    panel.OnInitDialog();
    auto* line = qobject_cast<CDigiMarquee*>(panel.control(IDC_STATUS));
    remote.m_answers = {{"GetInitialRadioInfo", 0x2000003}, {"EnableStatusQuery", 0x2000003}};
    QString scrolled;
    remote.m_betweenRefusals = [&] {
        line->ScrollBy(3);
        scrolled = line->GetText();
    };
    panel.onWindowMessage(WindowMessage{WM_NOTIFY_SERVER_STATUS, SERVER_STATUS_CONNECTED, 0, {}});
    EXPECT_EQ(panel.statusText(), "Radio port not open");
    ASSERT_FALSE(scrolled.isEmpty());
    EXPECT_TRUE(scrolled.startsWith(QStringLiteral("io port not open"))) << scrolled.toStdString();
    EXPECT_EQ(line->GetText(), scrolled);
}

TEST_F(PanelConnect, NotConnectedAnswerEndsTheCallBackSequence) {
    makePanel();
    m_remote.m_answers = {{"ReadHAMRadioBandInfo", 0x1000004}};
    m_remote.m_calls.clear();
    notice(SERVER_STATUS_CONNECTED);
    EXPECT_EQ(m_remote.m_calls, std::vector<std::string>{"ReadHAMRadioBandInfo"});
    EXPECT_EQ(m_panel->model().m_bConnected, 0);
    EXPECT_EQ(connectTo()->text(), QStringLiteral("None"));
    EXPECT_EQ(m_panel->statusText(), "Not connected to Brakton");
}

// --- Exit ------------------------------------------------------------------

struct ExitCase {
    const char* name;
    bool answer;
    bool connected;
    bool serverDead;
    bool exits;
    int disconnects;
    // The VFO bank goes back to the server while the panel is still connected.
    int bankWrites;
    // The QSO log could be neither saved nor rescued and the operator keeps
    // the program: nothing of the exit happens.
    bool logKeepsTheProgram = false;
};
ROW_NAME(ExitCase, row.name);

const ExitCase kExit[] = {
    {"NoKeepsThePanel", false, true, false, false, 0, 0},
    {"YesNotConnected", true, false, false, true, 0, 0},
    {"YesConnected", true, true, false, true, 1, 1},
    {"YesWithTheServerGone", true, true, true, true, 1, 0},
    {"YesButTheUnsavedLogKeepsTheProgram", true, true, false, false, 0, 0, true},
};

class PanelExit : public FrontPanelFixture, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(PanelExit, AnswerDecides) {
    const ExitCase& row = GetParam();
    std::vector<std::string> order;
    PanelEntryPoints entry;
    entry.saveQsoLogForExit = [&order, &row](bool interactive) {
        order.push_back(interactive ? "log asked" : "log");
        return !row.logKeepsTheProgram;
    };
    entry.stopQsoThreads = [&order] { order.push_back("qso"); };
    entry.closeKeyboardCw = [&order] { order.push_back("cw"); };
    entry.panelDestroyWork = [&order] { order.push_back("destroy"); };
    CK2FrontPanelControlDlg& panel = makePanel(true, entry);
    if (row.connected) {
        notice(SERVER_STATUS_CONNECTED);
    }
    if (row.serverDead) {
        m_remote.m_failing = {"Disconnect"};
    }
    m_remote.m_calls.clear();
    MessageService::queueAnswers({row.answer});

    panel.OnOK();

    const std::vector<std::string> lines = messages();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), std::string("question\tExiting Pelorin  - Are You Sure?\t") +
                                (row.answer ? "Yes" : "No"));
    EXPECT_EQ(m_remote.count("Disconnect"), row.disconnects);
    EXPECT_EQ(m_remote.count("WriteVFOFreqCache"), row.bankWrites);
    EXPECT_EQ(m_remote.m_calls.size(), static_cast<std::size_t>(row.disconnects + row.bankWrites))
        << "the exit makes no other call";
    EXPECT_EQ(panel.result() == QDialog::Accepted, row.exits);
    // The keyboard-CW window was never opened, so there is none to close.
    const std::vector<std::string> logOnly =
        row.answer ? std::vector<std::string>{"log asked"} : std::vector<std::string>{};
    EXPECT_EQ(order,
              row.exits ? (std::vector<std::string>{"log asked", "qso", "destroy"}) : logOnly);
    if (row.logKeepsTheProgram) {
        // The exit can be asked for again.
        MessageService::queueAnswers({true});
        panel.OnOK();
        EXPECT_EQ(order, (std::vector<std::string>{"log asked", "log asked"}));
    }
}

// SIGTERM's exit saves the log first too, without asking.
TEST_F(PanelConnect, ExitWithoutQuestionSavesTheLogFirst) {
    std::vector<std::string> order;
    PanelEntryPoints entry;
    entry.saveQsoLogForExit = [&order](bool interactive) {
        order.push_back(interactive ? "log asked" : "log");
        return true;
    };
    entry.stopQsoThreads = [&order] { order.push_back("qso"); };
    entry.panelDestroyWork = [&order] { order.push_back("destroy"); };
    CK2FrontPanelControlDlg& panel = makePanel(true, entry);
    notice(SERVER_STATUS_CONNECTED);
    panel.ExitWithoutQuestion();
    EXPECT_EQ(order, (std::vector<std::string>{"log", "qso", "destroy"}));
    EXPECT_EQ(panel.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelExit, ::testing::ValuesIn(kExit), CaseName());

// --- Keys and closing --------------------------------------------------------

using PanelKeys = PanelConnect;

TEST_F(PanelKeys, EscapeNeverClosesThePanel) {
    CK2FrontPanelControlDlg& panel = makePanel();
    panel.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&panel, &escape);
    EXPECT_TRUE(panel.isVisible());
    panel.reject();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.result(), 0);
}

TEST_F(PanelKeys, WindowCloseAsksAndNoKeepsThePanel) {
    CK2FrontPanelControlDlg& panel = makePanel();
    panel.show();
    EXPECT_FALSE(panel.close());
    EXPECT_TRUE(panel.isVisible());
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back(), "question\tExiting Pelorin  - Are You Sure?\tNo");

    MessageService::queueAnswers({true});
    panel.close();
    EXPECT_EQ(panel.result(), QDialog::Accepted);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(PanelKeys, EnterClicksTheFocusedButtonElseAsksToExit) {
    CK2FrontPanelControlDlg& panel = makePanel();
    panel.show();
    QApplication::setActiveWindow(&panel);

    // On a push button, Enter is that button.
    auto* plusTen = qobject_cast<QAbstractButton*>(panel.control(IDC_PLUS_10HZ));
    int clicks = 0;
    QObject::connect(plusTen, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    plusTen->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(plusTen, &enter);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(messages().empty());

    // Elsewhere, it is the exit button.
    QWidget* edit = panel.control(IDC_RIT_VALUE);
    edit->setFocus();
    QKeyEvent enterAgain(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enterAgain);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages().back(), "question\tExiting Pelorin  - Are You Sure?\tNo");
}

TEST_F(PanelKeys, ExitWithoutQuestionSkipsOnlyTheQuestion) {
    CK2FrontPanelControlDlg& panel = makePanel();
    notice(SERVER_STATUS_CONNECTED);
    panel.ExitWithoutQuestion();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(m_remote.count("Disconnect"), 1);
    EXPECT_EQ(panel.result(), QDialog::Accepted);
}

TEST_F(PanelKeys, SystemCommandsReachTheirEntryPoints) {
    int sheets = 0;
    PanelEntryPoints entry;
    entry.showConfigSheet = [&sheets] { ++sheets; };
    CK2FrontPanelControlDlg& panel = makePanel(true, entry);
    panel.OnSysCommand(CK2FrontPanelControlDlg::IDM_SYSTEM_CONFIG);
    EXPECT_EQ(sheets, 1);

    // The About box is modal: close it from inside its own loop.
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = box->windowTitle() == QStringLiteral("About Pelorin");
            box->close();
        }
    });
    panel.OnSysCommand(CK2FrontPanelControlDlg::IDM_ABOUTBOX);
    EXPECT_TRUE(shown);
}

TEST_F(PanelKeys, StartUpTimerStartsTheSplashOnce) {
    int splashes = 0;
    PanelEntryPoints entry;
    entry.startSplash = [&splashes] { ++splashes; };
    makePanel(true, entry);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(splashes, 1);
}

}  // namespace
