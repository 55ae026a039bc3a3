// Pelorin recovering its link to the real Brakton with one press of "Connect
// To Brakton": after a naming service that came late, a server restart, a
// server that stopped calling back, and a server that no longer counts this
// client; what the panel says when the server has no radio; and a RIT move
// longer than the server takes in one call.
//
// omniNames, the K2 simulator on a pty in this process and Brakton as a
// child; Pelorin's start-up in this process. One ORB per process, so every
// test here is its own run.

#include <gtest/gtest.h>

#include <signal.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RadioComm.hh"
#include "client/app/pelorin_app.h"
#include "client/base/client_orb.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "controls/trackbar_slider.h"
#include "idl/naming.h"
#include "platform/message_service.h"
#include "tests/integration/brakton_chain.h"
#include "tests/integration/pelorin_chain.h"
#include "tests/support/event_wait.h"
#include "tests/support/row_names.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using front_panel::IDC_CONNECT;
using front_panel::IDC_CONNECT_TO;
using front_panel::IDC_MODE_CW;
using front_panel::IDC_MODE_LSB;
using front_panel::IDC_MODE_USB;
using front_panel::IDC_RIT_SLIDER;

const std::string kConnectFailedBox =
    MessageService::recordLine("error", "CORBA exception raised - Unable to Connect To Brakton!");

using test_events::pumpUntil;

class PelorinRecovery : public ::testing::Test {
  protected:
    // Pelorin's folders, its QApplication and its start-up against the
    // chain's naming service (running or not).
    void startPelorin() {
        e2e_chain::usePelorinHome(m_chain.dir() / "pelorin");
        static int argc = 1;
        static char name[] = "pelorin_recovery_e2e_test";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);

        m_pelorin = std::make_unique<CPelorinApp>([this](int code) { m_exitCode = code; });
        ASSERT_TRUE(m_pelorin->InitInstance(e2e_chain::pelorinArgs(m_chain)));
    }

    CK2FrontPanelControlDlg& panel() { return *m_pelorin->panel(); }
    std::string messages() const { return readFile(m_chain.dir() / "pelorin" / "messages.log"); }
    std::string link() {
        auto* label = qobject_cast<QLabel*>(panel().control(IDC_CONNECT_TO));
        return label != nullptr ? label->text().toStdString() : std::string();
    }
    std::string diagnostics() {
        return "status: " + panel().statusText() + "\nmessages: " + messages() +
               "\nBrakton: " + m_chain.braktonStderr();
    }

    // "Connect To Brakton"; how long the GUI thread was held.
    Clock::duration pressConnect() {
        const auto start = Clock::now();
        qobject_cast<QAbstractButton*>(panel().control(IDC_CONNECT))->click();
        return Clock::now() - start;
    }

    // The radio's data reaches the panel: the server asked the radio for its
    // whole state after index `from`, and an injected VFO A reply shows.
    void expectRadioData(std::size_t from, std::uint32_t vfoA) {
        sim::K2Simulator& radio = m_chain.radio();
        // The GUI thread handles the call-back's notices: keep it running.
        ASSERT_TRUE(pumpUntil(25s, [&] {
            return radio.waitForCommand("LK", 10ms, from).has_value();
        })) << diagnostics();
        ASSERT_TRUE(pumpUntil(10s, [&] { return panel().model().m_bConnected != 0; }))
            << diagnostics();
        // The radio threads' call-backs come on just after the connected
        // notice: inject until one reply gets through.
        char reply[32];
        std::snprintf(reply, sizeof reply, "FA%011u;", vfoA);
        const bool shown = pumpUntil(15s, [&] {
            radio.injectRaw(reply);
            return pumpUntil(500ms, [&] { return panel().model().m_ulVFOAFreq == vfoA; });
        });
        EXPECT_TRUE(shown) << diagnostics();
        EXPECT_EQ(link(), "   LAN");
    }

    // Up, called back and shown the radio.
    void startConnected() {
        ASSERT_TRUE(m_chain.start()) << m_chain.error();
        startPelorin();
        if (HasFatalFailure()) {
            return;
        }
        expectRadioData(0, 7010000);
    }

    BraktonChain m_chain;
    QApplication* m_app = nullptr;
    std::unique_ptr<CPelorinApp> m_pelorin;
    std::optional<int> m_exitCode;
};

TEST_F(PelorinRecovery, NamingServiceStartedAfterPelorinThenOneConnectBringsTheRadio) {
    ASSERT_TRUE(m_chain.start()) << m_chain.error();
    m_chain.brakton().stop();
    ASSERT_TRUE(m_chain.namingService().stop()) << m_chain.namingService().error();

    const auto startedAt = Clock::now();
    startPelorin();
    const auto startUp = Clock::now() - startedAt;
    ASSERT_FALSE(HasFatalFailure());
    // The binding fails at once on a refused connection: the box comes
    // without waiting out any ready time-out.
    EXPECT_EQ(messages(), kConnectFailedBox);
    EXPECT_LT(startUp, 3s);
    EXPECT_EQ(panel().statusText(), "Unable to connect to Brakton");
    EXPECT_EQ(panel().statusKind(), 2);

    ASSERT_TRUE(m_chain.namingService().restart()) << m_chain.namingService().error();
    ASSERT_TRUE(m_chain.restartBrakton()) << m_chain.error();
    const std::size_t from = m_chain.radio().commandCount();

    EXPECT_LT(pressConnect(), 10s) << "no GUI wait beyond the call time-out";
    EXPECT_EQ(messages(), kConnectFailedBox) << "no second box";
    EXPECT_EQ(panel().statusText(), "Connecting to Brakton...");
    expectRadioData(from, 7020000);
}

TEST_F(PelorinRecovery, NamingServiceThatDoesNotAnswerHoldsTheStartUpLessThanACallTimeOut) {
    ASSERT_TRUE(m_chain.start()) << m_chain.error();
    const pid_t naming = m_chain.naming().pid();
    ASSERT_GT(naming, 0);
    ::kill(naming, SIGSTOP);
    const auto startedAt = Clock::now();
    startPelorin();
    const auto startUp = Clock::now() - startedAt;
    ::kill(naming, SIGCONT);
    ASSERT_FALSE(HasFatalFailure());
    // The ORB thread's own binding is still waiting for the naming service:
    // the connect gives up after its ready wait instead of adding a second
    // call's wait.
    EXPECT_LT(startUp, 9s);
    EXPECT_EQ(messages(), kConnectFailedBox);
    EXPECT_EQ(panel().statusText(), "Unable to connect to Brakton");
}

TEST_F(PelorinRecovery, NoNamingServiceAtAllShowsTheBoxOnEveryPress) {
    ASSERT_TRUE(m_chain.start()) << m_chain.error();
    ASSERT_TRUE(m_chain.namingService().stop()) << m_chain.namingService().error();
    startPelorin();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_LT(pressConnect(), 10s);
    EXPECT_EQ(messages(), kConnectFailedBox + kConnectFailedBox);
    EXPECT_EQ(panel().statusText(), "Unable to connect to Brakton") << "never a silent Connecting";
}

// While the panel believes it is connected, the radio's data has stopped
// coming; one press brings it back.
enum class Fault { ServerRestarted, CallBacksTurnedOff };

struct PressCase {
    const char* name;
    Fault fault;
    // What the panel shows before the press: a restarted server no longer
    // knows the panel's reference, and the panel's own question finds that
    // out; a server that only stopped calling back still answers it.
    const char* linkBeforePress;
};
ROW_NAME(PressCase, row.name);

class PelorinConnectPress : public PelorinRecovery,
                            public ::testing::WithParamInterface<PressCase> {
  protected:
    // Another client binds its call-back object, vanishes, and its Connect
    // reaches the server: the server's connect-back takes the dead client's
    // reference and fails, and its call-backs stop.
    void turnCallBacksOff() {
        PeerProcess other;
        ASSERT_TRUE(other.start(PeerRole::Client, m_chain.naming(), m_chain.dir()))
            << other.error();
        // Its port stays held, so calls to it fail for the rest of the test.
        m_otherPort = other.process().killHoldingPorts();
        ASSERT_TRUE(m_otherPort.holding()) << m_otherPort.error();
        RadioComm_var server = resolveRadioComm(ClientOrb::orb());
        ASSERT_EQ(server->Connect("Other"), 0);
        // The connect-back comes about 5 s later.
        pumpUntil(7s, [] { return false; });
    }

    PortHold m_otherPort;
};

TEST_P(PelorinConnectPress, OnePressBringsTheRadioBack) {
    startConnected();
    ASSERT_FALSE(HasFatalFailure());

    if (GetParam().fault == Fault::ServerRestarted) {
        ASSERT_TRUE(m_chain.restartBrakton()) << m_chain.error();
    } else {
        turnCallBacksOff();
        ASSERT_FALSE(HasFatalFailure());
    }
    // Nothing reaches the panel any more.
    m_chain.radio().injectRaw("FA00007030000;");
    pumpUntil(2s, [] { return false; });
    EXPECT_NE(panel().model().m_ulVFOAFreq, 7030000u) << "the fault did not stop the call-backs";
    const std::string expectedLink = GetParam().linkBeforePress;
    pumpUntil(8s, [&] { return link() == expectedLink; });
    EXPECT_EQ(link(), expectedLink) << diagnostics();

    const std::size_t from = m_chain.radio().commandCount();
    EXPECT_LT(pressConnect(), 10s);
    expectRadioData(from, 7040000);
    EXPECT_EQ(messages(), "") << "no box";
}

const PressCase kPresses[] = {
    {"ServerRestarted", Fault::ServerRestarted, "None"},
    {"CallBacksTurnedOff", Fault::CallBacksTurnedOff, "   LAN"},
};

INSTANTIATE_TEST_SUITE_P(Faults, PelorinConnectPress, ::testing::ValuesIn(kPresses), CaseName());

TEST_F(PelorinRecovery, ServerThatNoLongerCountsTheClientDisconnectsThePanel) {
    startConnected();
    ASSERT_FALSE(HasFatalFailure());
    // Another client's Disconnect ends the server's connection.
    RadioComm_var server = resolveRadioComm(ClientOrb::orb());
    ASSERT_EQ(server->Disconnect(), 0);

    // The radio is in CW: LSB makes a call.
    qobject_cast<QAbstractButton*>(panel().control(IDC_MODE_LSB))->click();
    EXPECT_EQ(link(), "None");
    EXPECT_EQ(panel().statusText(), "Not connected to Brakton");
    EXPECT_EQ(panel().statusKind(), 2);
    EXPECT_EQ(panel().model().m_bConnected, 0);

    const std::size_t from = m_chain.radio().commandCount();
    pressConnect();
    expectRadioData(from, 7050000);
}

// --- No radio -------------------------------------------------------------------------------

struct NoRadioCase {
    const char* name;
    int commPort;
    bool lostWhileRunning;  // the radio goes after the panel has shown it
};
ROW_NAME(NoRadioCase, row.name);

class PelorinNoRadio : public PelorinRecovery, public ::testing::WithParamInterface<NoRadioCase> {};

TEST_P(PelorinNoRadio, PanelSaysTheRadioPortIsNotOpen) {
    const NoRadioCase& row = GetParam();
    ASSERT_TRUE(m_chain.start(row.commPort)) << m_chain.error();
    startPelorin();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(pumpUntil(25s, [&] { return panel().model().m_bConnected != 0; })) << diagnostics();
    if (row.lostWhileRunning) {
        EXPECT_EQ(panel().statusText(), "");
        m_chain.radio().stop();
    } else {
        // The call-back loads the radio: the server answers that it has none.
        EXPECT_TRUE(pumpUntil(5s, [&] { return panel().statusText() == "Radio port not open"; }))
            << diagnostics();
    }

    // So does every command (the server may need one to notice a lost radio).
    auto* usb = qobject_cast<QAbstractButton*>(panel().control(IDC_MODE_USB));
    EXPECT_TRUE(pumpUntil(5s, [&] {
        usb->click();
        return panel().statusText() == "Radio port not open";
    })) << diagnostics();
    EXPECT_EQ(panel().statusKind(), 2);
    EXPECT_EQ(panel().model().m_bConnected, 1);
    EXPECT_EQ(link(), "   LAN") << "the server is there";
}

const NoRadioCase kNoRadio[] = {
    {"PortZero", 0, false},
    {"MissingDevice", 2, false},
    {"RadioLostWhileRunning", 1, true},
};

INSTANTIATE_TEST_SUITE_P(Ports, PelorinNoRadio, ::testing::ValuesIn(kNoRadio), CaseName());

// --- A long RIT move ---------------------------------------------------------------------------

TEST_F(PelorinRecovery, LongRitMoveGoesInCallsTheServerTakes) {
    startConnected();
    ASSERT_FALSE(HasFatalFailure());
    // The radio reports RIT on at +4500 Hz.
    sim::K2Simulator& radio = m_chain.radio();
    ASSERT_TRUE(pumpUntil(15s, [&] {
        radio.injectRaw("IF00014060000     +450010 0003000001 ;");
        return pumpUntil(500ms, [&] { return panel().model().m_nRITOffset == 4500; });
    })) << diagnostics();

    // The thumb let go at the left end: -1000 Hz, 5500 Hz down, in two calls
    // of 5000 and 500 Hz, each done: 550 steps reach the radio.
    const std::size_t from = radio.commandCount();
    auto* slider = qobject_cast<TrackbarSlider*>(panel().control(IDC_RIT_SLIDER));
    ASSERT_NE(slider, nullptr);
    emit slider->trackbarNotify(5, 0);
    emit slider->trackbarNotify(8, 0);
    const auto stepsDown = [&] {
        std::size_t count = 0;
        for (const auto& command : radio.commands()) {
            count += command.index >= from && command.text == "RD" ? 1 : 0;
        }
        return count;
    };
    EXPECT_TRUE(pumpUntil(5s, [&] { return stepsDown() >= 550; })) << stepsDown();
    pumpUntil(300ms, [] { return false; });
    EXPECT_EQ(stepsDown(), 550u);
    EXPECT_EQ(panel().statusText(), "") << "no call was refused";
    EXPECT_EQ(panel().model().m_bConnected, 1);
}

}  // namespace
