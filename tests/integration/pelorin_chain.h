#pragma once

// Pelorin's start-up in this process against the whole chain (omniNames, the
// K2 simulator on a pty, Brakton as a child), for the end-to-end tests of the
// operator's windows. Pelorin's ORB is the only one in the process (one ORB
// per process), so each such test binary runs one test.
//
//   class MyRun : public PelorinChainTest {
//       void PrepareHome(const std::filesystem::path& home) override { ... }
//   };
//   TEST_F(MyRun, ...) { ASSERT_TRUE(WaitUntilConnected()); ... }
//
// PrepareHome runs before Pelorin starts, with HOME set to its folder.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/app/pelorin_app.h"
#include "client/cw/cw_transmit_dlg.h"
#include "client/cw/keyboard_cw_owner.h"
#include "client/panel/front_panel_layout.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "controls/clr_button.h"
#include "platform/message_service.h"
#include "tests/integration/brakton_chain.h"
#include "tests/support/event_wait.h"
#include "tests/support/test_support.h"

namespace e2e_chain {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline constexpr auto kRadioBound = 10s;
inline constexpr auto kPanelBound = 10s;

using test_events::pumpUntil;

inline std::vector<std::string> commandTexts(const sim::K2Simulator& radio, std::size_t from = 0) {
    std::vector<std::string> texts;
    for (const auto& command : radio.commands()) {
        if (command.index >= from) {
            texts.push_back(command.text);
        }
    }
    return texts;
}

// A command text as a pattern matching just that text.
inline std::string exactly(const std::string& text) {
    std::string pattern;
    for (const char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern;
}

// Pelorin's folder `home` as this process's HOME, holding its configuration,
// its runtime folder and its message log.
inline void usePelorinHome(const std::filesystem::path& home) {
    const std::string folder = home.string();
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::setenv("ORVO_MESSAGE_LOG", (folder + "/messages.log").c_str(), 1);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(folder + "/config"));
}

// Pelorin's command line against the chain's naming service.
inline std::vector<std::string> pelorinArgs(const BraktonChain& chain) {
    std::vector<std::string> args{"Pelorin"};
    const auto naming = chain.naming().initRefArgs();
    args.insert(args.end(), naming.begin(), naming.end());
    const auto endpoint = loopbackEndpointArgs();
    args.insert(args.end(), endpoint.begin(), endpoint.end());
    return args;
}

}  // namespace e2e_chain

class PelorinChainTest : public ::testing::Test {
  protected:
    // `timeScale` speeds the simulated radio up (BraktonChain).
    explicit PelorinChainTest(double timeScale = 1.0) : m_chain(timeScale) {}

    void SetUp() override {
        ASSERT_TRUE(m_chain.start()) << m_chain.error();
        m_home = m_chain.dir() / "pelorin";
        e2e_chain::usePelorinHome(m_home);
        static int argc = 1;
        static char name[] = "pelorin_chain_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        PrepareHome(m_home);

        m_pelorin = std::make_unique<CPelorinApp>([this](int code) { m_exitCode = code; });
        ASSERT_TRUE(m_pelorin->InitInstance(e2e_chain::pelorinArgs(m_chain)));
    }

    void TearDown() override {
        if (m_pelorin && m_pelorin->panel() != nullptr && !m_exitCode) {
            MessageService::queueAnswers({true});
            m_pelorin->panel()->OnOK();
            e2e_chain::pumpUntil(std::chrono::seconds(15), [&] { return m_exitCode.has_value(); });
        }
    }

    // Before Pelorin starts; HOME is `home`.
    virtual void PrepareHome(const std::filesystem::path& /*home*/) {}

    CK2FrontPanelControlDlg& panel() { return *m_pelorin->panel(); }

    std::string messages() const { return readFile(m_home / "messages.log"); }

    // Until the panel is connected (the server called back).
    bool WaitUntilConnected() {
        return e2e_chain::pumpUntil(std::chrono::seconds(25),
                                    [&] { return panel().model().m_bConnected != 0; });
    }

    // Opens the CW window with the panel's CW button and waits until it has
    // slid into place; null if it never came.
    CCWTransmitDlg* openCwWindow() {
        auto* button = qobject_cast<QAbstractButton*>(panel().control(front_panel::IDC_CW_WINDOW));
        if (button == nullptr) {
            return nullptr;
        }
        button->click();
        CCWTransmitDlg* window = nullptr;
        e2e_chain::pumpUntil(e2e_chain::kPanelBound, [&] {
            window = m_pelorin->keyboardCw().window();
            return window != nullptr && !window->sliding();
        });
        return window;
    }

    // Clicks the CW window's Abort: "KY @" must reach the radio within a
    // second of the click, and the window must have dropped its pending text
    // and greyed its Abort button. The abort as the radio took it, or none.
    std::optional<sim::CommandRecord> abortAtTheRadio(CCWTransmitDlg& window, std::size_t from) {
        constexpr COLORREF kGrey = 0xC0C0C0;
        const auto clicked = sim::Clock::now();
        window.abortButton()->click();
        auto abort = m_chain.radio().waitForCommand("KY @", std::chrono::seconds(5), from);
        EXPECT_TRUE(abort.has_value()) << "no abort at the radio";
        if (abort) {
            EXPECT_LT(abort->time - clicked, std::chrono::seconds(1));
        }
        EXPECT_TRUE(window.pending().empty());
        EXPECT_EQ(window.abortButton()->FaceColor(), kGrey);
        return abort;
    }

    // Brakton's standard error holds no sanitizer report.
    void ExpectCleanBrakton() const {
        const std::string errors = m_chain.braktonStderr();
        EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error:"), std::string::npos) << errors;
    }

    BraktonChain m_chain;
    std::filesystem::path m_home;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<CPelorinApp> m_pelorin;
    std::optional<int> m_exitCode;
};
