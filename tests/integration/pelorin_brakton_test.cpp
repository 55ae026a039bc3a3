// Pelorin against the real Brakton: omniNames, the K2 simulator on a pty in
// this process, Brakton as a child process, and Pelorin's start-up in this
// process (or the Pelorin program as a child). The simulator's command log
// shows what the client's calls make the server send to the radio.
//
// Pelorin's ORB is the only one in this process (one ORB per process), so
// every test here is its own run.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSettings>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/app/pelorin_app.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "platform/message_service.h"
#include "tests/integration/brakton_chain.h"
#include "tests/support/event_wait.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using front_panel::IDC_BAND_COMBO;
using front_panel::IDC_CONNECT_TO;

// What GetInitialRadioInfo asks the radio, in this order.
const std::vector<std::string> kInitialQueries{"IF", "FA", "FB", "PA", "RA", "FW", "GT",
                                               "KS", "PC", "AN", "NB", "SQ", "LK"};

using test_events::pumpUntil;

std::vector<std::string> commandTexts(const sim::K2Simulator& radio, std::size_t from = 0) {
    std::vector<std::string> texts;
    for (const auto& command : radio.commands()) {
        if (command.index >= from) {
            texts.push_back(command.text);
        }
    }
    return texts;
}

bool hasSanitizerReport(const std::string& text) {
    return text.find("AddressSanitizer") != std::string::npos ||
           text.find("runtime error:") != std::string::npos;
}

// The whole chain up to a running Brakton bound as "RadioComm".
class PelorinWithBrakton : public ::testing::Test {
  protected:
    void startServer() { ASSERT_TRUE(m_chain.start()) << m_chain.error(); }

    // Pelorin's own folders: home, settings and message log.
    std::vector<std::string> pelorinEnvironment() const {
        const std::string home = (m_chain.dir() / "pelorin").string();
        std::filesystem::create_directories(home);
        std::filesystem::permissions(home, std::filesystem::perms::owner_all);
        return {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config", "XDG_RUNTIME_DIR=" + home,
                "ORVO_MESSAGE_LOG=" + home + "/messages.log", "QT_QPA_PLATFORM=offscreen"};
    }

    std::vector<std::string> pelorinArgs() {
        std::vector<std::string> args = m_chain.naming().initRefArgs();
        const auto endpoint = loopbackEndpointArgs();
        args.insert(args.end(), endpoint.begin(), endpoint.end());
        return args;
    }

    std::string pelorinMessages() const {
        return readFile(m_chain.dir() / "pelorin" / "messages.log");
    }

    BraktonChain m_chain;
};

// --- Pelorin's start-up in this process ------------------------------------------------------

class PelorinInProcess : public PelorinWithBrakton {
  protected:
    void SetUp() override {
        startServer();
        if (HasFatalFailure()) {
            return;
        }
        for (const auto& entry : pelorinEnvironment()) {
            const auto equals = entry.find('=');
            ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
        }
        // Settings may already have been used in this process (Brakton's
        // file); Pelorin's go to its own folder whatever was read before.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString((m_chain.dir() / "pelorin" / "config").string()));
        static int argc = 1;
        static char name[] = "pelorin_brakton_test";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);

        std::vector<std::string> args{"Pelorin"};
        const auto rest = pelorinArgs();
        args.insert(args.end(), rest.begin(), rest.end());
        m_pelorin = std::make_unique<CPelorinApp>([this](int code) { m_exitCode = code; });
        m_startedAt = Clock::now();
        ASSERT_TRUE(m_pelorin->InitInstance(args));
    }

    CK2FrontPanelControlDlg& panel() { return *m_pelorin->panel(); }

    std::string connectToText() {
        auto* label = qobject_cast<QLabel*>(panel().control(IDC_CONNECT_TO));
        return label != nullptr ? label->text().toStdString() : std::string();
    }

    QApplication* m_app = nullptr;
    std::unique_ptr<CPelorinApp> m_pelorin;
    std::optional<int> m_exitCode;
    Clock::time_point m_startedAt;
};

TEST_F(PelorinInProcess, CallBackFillsThePanelQueriesTheRadioAndExitStopsThePolling) {
    // The connect asked for the call-back; it comes about 5 s later.
    ASSERT_TRUE(pumpUntil(20s, [&] { return connectToText() == "   LAN"; }))
        << "status: " << panel().statusText() << "\nmessages: " << pelorinMessages()
        << "\nBrakton: " << m_chain.braktonStderr();
    EXPECT_GE(Clock::now() - m_startedAt, 4s);
    // The first notice lights the lamp; the connected notice follows it.
    ASSERT_TRUE(pumpUntil(10s, [&] { return panel().model().m_bConnected != 0; }));
    EXPECT_EQ(panel().statusText(), "");
    EXPECT_EQ(pelorinMessages(), "") << "no box on a good connect";

    // The band list and the client's tuning ranges and VFO bank are Brakton's.
    auto* bands = qobject_cast<QComboBox*>(panel().control(IDC_BAND_COMBO));
    ASSERT_NE(bands, nullptr);
    ASSERT_TRUE(pumpUntil(10s, [&] { return bands->count() == 9; }));
    for (int i = 0; i < bands->count(); ++i) {
        EXPECT_EQ(bands->itemText(i).toStdString(), kBandNames[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(bands->currentIndex(), 0) << "28060000 is on 10 m";
    const PanelTuningRange& range = panel().model().m_CurTuningRange;
    EXPECT_EQ(range.nBand, 0);
    EXPECT_EQ(range.ulLowBandEdge, 28000000u);
    EXPECT_EQ(range.ulHighBandEdge, BraktonChain::k10mHighEdge) << "Brakton's 10 m edge";
    EXPECT_EQ(panel().model().m_VfoBank[0][0], BraktonChain::k10mVfoA);

    // The radio is asked for its whole state, then polled: DS and BG about
    // once a second.
    sim::K2Simulator& radio = m_chain.radio();
    const auto first = radio.waitForCommand(kInitialQueries.front(), 10s);
    ASSERT_TRUE(first.has_value()) << ::testing::PrintToString(commandTexts(radio));
    std::optional<sim::CommandRecord> lastDs;
    std::size_t next = first->index;
    for (const auto& query : kInitialQueries) {
        const auto command = radio.waitForCommand(query, 10s, next);
        ASSERT_TRUE(command.has_value()) << query << " after index " << next << ": "
                                         << ::testing::PrintToString(commandTexts(radio));
        EXPECT_EQ(command->index, next) << query << " comes next";
        next = command->index + 1;
    }
    for (int round = 0; round < 3; ++round) {
        const auto ds = radio.waitForCommand("DS", 10s, next);
        ASSERT_TRUE(ds.has_value())
            << "round " << round << ": " << ::testing::PrintToString(commandTexts(radio, next));
        const auto bg = radio.waitForCommand("BG", 10s, ds->index + 1);
        ASSERT_TRUE(bg.has_value()) << "round " << round;
        EXPECT_EQ(bg->index, ds->index + 1) << "BG follows DS, round " << round;
        if (lastDs) {
            EXPECT_GE(ds->time - lastDs->time, 600ms) << "round " << round;
            EXPECT_LE(ds->time - lastDs->time, 2500ms) << "round " << round;
        }
        lastDs = ds;
        next = bg->index + 1;
    }

    // Exit, answered Yes: Disconnect (Brakton holds it 2 s), then the
    // polling stops and the process ends with 0.
    MessageService::queueAnswers({true});
    const auto exitAt = Clock::now();
    panel().OnOK();
    ASSERT_TRUE(pumpUntil(15s, [&] { return m_exitCode.has_value(); }));
    EXPECT_EQ(*m_exitCode, 0);
    EXPECT_GE(Clock::now() - exitAt, 1900ms) << "Brakton's Disconnect was not waited for";
    EXPECT_EQ(pelorinMessages(),
              MessageService::recordLine("question", "Exiting Pelorin  - Are You Sure?", "Yes"));
    const std::size_t afterExit = radio.commandCount();
    EXPECT_FALSE(radio.waitForCommand("DS|BG", 3500ms, afterExit).has_value())
        << ::testing::PrintToString(commandTexts(radio, afterExit));
    EXPECT_FALSE(hasSanitizerReport(m_chain.braktonStderr())) << m_chain.braktonStderr();
}

// --- The Pelorin program --------------------------------------------------------------------

TEST_F(PelorinWithBrakton, ProgramEndsWithZeroOnSigtermAndThePollingStops) {
    startServer();
    ChildProcess pelorin;
    ASSERT_TRUE(pelorin.start(PELORIN_PROGRAM, pelorinArgs(), pelorinEnvironment(), m_chain.dir(),
                              "Pelorin"));
    // Polling runs once Pelorin has been called back and has asked for it.
    sim::K2Simulator& radio = m_chain.radio();
    const auto lk = radio.waitForCommand("LK", 25s);
    ASSERT_TRUE(lk.has_value()) << ::testing::PrintToString(commandTexts(radio))
                                << readFile(pelorin.stderrPath()) << pelorinMessages();
    ASSERT_TRUE(radio.waitForCommand("BG", 10s, lk->index + 1).has_value())
        << ::testing::PrintToString(commandTexts(radio, lk->index));

    pelorin.signal(SIGTERM);
    const auto status = pelorin.waitExit(20s);
    ASSERT_TRUE(status.has_value()) << "Pelorin did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0) << readFile(pelorin.stderrPath());
    EXPECT_EQ(pelorinMessages().find("question"), std::string::npos) << "no question on a signal";

    const std::size_t afterExit = radio.commandCount();
    EXPECT_FALSE(radio.waitForCommand("DS|BG", 3500ms, afterExit).has_value())
        << ::testing::PrintToString(commandTexts(radio, afterExit));
    // Brakton serves on after its client went.
    EXPECT_TRUE(m_chain.brakton().running());
    EXPECT_FALSE(hasSanitizerReport(readFile(pelorin.stderrPath())))
        << readFile(pelorin.stderrPath());
    EXPECT_FALSE(hasSanitizerReport(m_chain.braktonStderr())) << m_chain.braktonStderr();
}

}  // namespace
