#pragma once

// The front panel on a fake server, with its settings in a fresh folder and
// its message boxes recorded to a file instead of shown.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QSettings>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/base/notify_messages.h"
#include "client/base/registry_store.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "fake_panel_remote.h"
#include "platform/message_service.h"
#include "tests/support/settings_sandbox.h"

class FrontPanelFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        // The panel listens on a local socket under its title: keep it in
        // this test's folder, apart from the user's and from parallel tests.
        m_oldRuntimeDir = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
        const std::filesystem::path runtime = m_dir / "runtime";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        MessageService::queueAnswers({});
    }

    void TearDown() override {
        m_panel.reset();
        MessageService::queueAnswers({});
        if (m_oldRuntimeDir.empty()) {
            unsetenv("XDG_RUNTIME_DIR");
        } else {
            setenv("XDG_RUNTIME_DIR", m_oldRuntimeDir.c_str(), 1);
        }
    }

    // Builds the panel; with `init` it runs the start-up sequence (and so the
    // connect) as main() does.
    CK2FrontPanelControlDlg& makePanel(bool init = true, PanelEntryPoints entry = {}) {
        m_panel = std::make_unique<CK2FrontPanelControlDlg>(m_remote, m_store, std::move(entry));
        if (init) {
            m_panel->OnInitDialog();
        }
        return *m_panel;
    }

    std::vector<std::string> messages() const { return m_settings.messages(); }

    // A server notice as the callback servant delivers it.
    void notice(int wParam, long lParam = 0, const std::string& text = {}) {
        m_panel->onWindowMessage(WindowMessage{WM_NOTIFY_SERVER_STATUS, wParam, lParam, text});
    }

    // The panel's picture, kept under the build tree for looking at.
    void saveScreenshot(const char* name) {
#ifdef PANEL_SCREENSHOT_DIR
        std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
        QCoreApplication::processEvents();
        const QImage image = m_panel->grab().toImage();
        image.save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/") + QString::fromLatin1(name));
#else
        (void)name;
#endif
    }

    SettingsSandbox m_settings{"pelorin-panel"};
    const std::filesystem::path m_dir = m_settings.dir();
    std::string m_oldRuntimeDir;
    FakePanelRemote m_remote;
    pelorin::CRegistryStore m_store;
    std::unique_ptr<CK2FrontPanelControlDlg> m_panel;
};
