// Pelorin noticing a server that has gone while the operator waits, with no
// button pressed: Brakton killed, Brakton stopped (the panel keeps answering
// meanwhile), and no false alarm from a Brakton that is alive but quiet.
//
// omniNames, the K2 simulator on a pty in this process and Brakton as a
// child; Pelorin's start-up in this process. One ORB per process, so every
// test here is its own run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "client/app/pelorin_app.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "tests/integration/brakton_chain.h"
#include "tests/integration/pelorin_chain.h"
#include "tests/support/event_wait.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using front_panel::IDC_CONNECT_TO;
using test_events::pumpUntil;

class DeadServer : public ::testing::Test {
  protected:
    // The chain with the radio on `commPort` (0: none), Pelorin connected.
    void startConnected(int commPort) {
        ASSERT_TRUE(m_chain.start(commPort)) << m_chain.error();
        e2e_chain::usePelorinHome(m_chain.dir() / "pelorin");
        static int argc = 1;
        static char name[] = "pelorin_dead_server_e2e_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        m_pelorin = std::make_unique<CPelorinApp>([this](int code) { m_exitCode = code; });
        ASSERT_TRUE(m_pelorin->InitInstance(e2e_chain::pelorinArgs(m_chain)));
        ASSERT_TRUE(pumpUntil(25s, [&] { return panel().model().m_bConnected != 0; }))
            << diagnostics();
        // The connect's own calls are over once polling is on again.
        ASSERT_TRUE(pumpUntil(10s, [&] { return link() == "   LAN"; })) << diagnostics();
        pumpUntil(1s, [] { return false; });
    }

    CK2FrontPanelControlDlg& panel() { return *m_pelorin->panel(); }
    std::string link() {
        auto* label = qobject_cast<QLabel*>(panel().control(IDC_CONNECT_TO));
        return label != nullptr ? label->text().toStdString() : std::string();
    }
    bool shownLost() {
        return panel().model().m_bConnected == 0 && link() == "None" &&
               panel().statusText() == "Lost connection to Brakton" && panel().statusKind() == 2;
    }
    std::string diagnostics() {
        return "link: " + link() + "\nstatus: " + panel().statusText() +
               "\nBrakton: " + m_chain.braktonStderr();
    }

    BraktonChain m_chain;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<CPelorinApp> m_pelorin;
    std::optional<int> m_exitCode;
};

TEST_F(DeadServer, KilledBraktonIsShownLostWithinFiveSecondsWithNoButtonPressed) {
    startConnected(1);
    ASSERT_FALSE(HasFatalFailure());
    // Calls to the dead server's port keep failing for as long as it is held.
    const PortHold held = m_chain.brakton().killHoldingPorts();
    const auto killedAt = Clock::now();
    EXPECT_TRUE(pumpUntil(5s, [&] { return shownLost(); })) << diagnostics();
    EXPECT_LT(Clock::now() - killedAt, 5s);
}

TEST_F(DeadServer, StoppedBraktonIsShownLostWithinFifteenSecondsAndThePanelAnswersMeanwhile) {
    startConnected(1);
    ASSERT_FALSE(HasFatalFailure());
    m_chain.brakton().pause();
    const auto stoppedAt = Clock::now();

    // A timer of the GUI thread: the longest gap between its ticks is the
    // longest the panel could not have answered a click.
    auto lastTick = Clock::now();
    Clock::duration longestGap{};
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    ticker.start();
    EXPECT_TRUE(pumpUntil(15s, [&] { return shownLost(); })) << diagnostics();
    EXPECT_LT(Clock::now() - stoppedAt, 15s);
    EXPECT_LT(longestGap, 1s) << "the GUI thread was held while the server did not answer";
    m_chain.brakton().resume();
}

TEST_F(DeadServer, QuietBraktonWithoutARadioIsNotShownLost) {
    startConnected(0);
    ASSERT_FALSE(HasFatalFailure());
    // No radio: no call-back comes, only the questions go out.
    const bool lost = pumpUntil(30s, [&] { return panel().model().m_bConnected == 0; });
    EXPECT_FALSE(lost) << diagnostics();
    EXPECT_EQ(link(), "   LAN");
    EXPECT_TRUE(m_chain.brakton().running());
}

}  // namespace
