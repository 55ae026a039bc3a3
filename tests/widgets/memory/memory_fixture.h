#pragma once

// The memory windows beside a front panel on a recording fake server: the
// settings in a fresh folder, the memory files in its "Orvo" folder, message
// boxes recorded to a file. Modal dialogs are driven from inside their own
// event loop (driveModal).

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "client/memory/k2_memory_cfg.h"
#include "client/memory/memory_commands.h"
#include "tests/widgets/panel/front_panel_fixture.h"
#include "tests/widgets/panel/recording_panel_remote.h"

// The recording server, answering downloads with a chosen status.
class MemoryPanelRemote : public RecordingPanelRemote {
  public:
    std::int32_t m_downloadStatus = 0;
    RemoteStatus DownloadRadioInfo(const RadioMemInfo& info) override {
        const RemoteStatus status = RecordingPanelRemote::DownloadRadioInfo(info);
        if (!status) {
            return status;
        }
        return m_downloadStatus;
    }
};

class MemoryWindowsFixture : public FrontPanelFixture {
  protected:
    void SetUp() override {
        FrontPanelFixture::SetUp();
        m_memories = std::make_unique<CK2MemoryCfg>((m_dir / "Orvo").string());
    }
    void TearDown() override {
        m_commands.reset();
        m_panel.reset();
        m_memories.reset();
        FrontPanelFixture::TearDown();
    }

    CK2FrontPanelControlDlg& panelWithCommands(bool connected = true) {
        m_panel = std::make_unique<CK2FrontPanelControlDlg>(m_rec, m_store);
        m_panel->OnInitDialog();
        if (connected) {
            notice(SERVER_STATUS_CONNECTED);
        }
        m_commands = std::make_unique<MemoryCommands>(*m_memories, m_store, *m_panel);
        PanelCommandEntryPoints entry;
        m_commands->Install(entry);
        m_panel->SetCommandEntryPoints(entry);
        m_rec.m_log.clear();
        m_rec.m_downloads.clear();
        return *m_panel;
    }

    // `step` runs inside the dialog's own event loop, once it is shown.
    static void driveModal(QDialog& dialog, std::function<void()> step) {
        QTimer::singleShot(0, &dialog, std::move(step));
    }

    static void setText(QWidget* edit, const char* text) {
        auto* line = qobject_cast<QLineEdit*>(edit);
        ASSERT_NE(line, nullptr);
        line->setText(QString::fromUtf8(text));
    }
    static QString textOf(QWidget* edit) { return qobject_cast<QLineEdit*>(edit)->text(); }
    static QComboBox* combo(QWidget* w) { return qobject_cast<QComboBox*>(w); }

    // A memory as the panel's snapshot would hold it.
    static RADIO_MEMORY_RECORD memory(const std::string& name, std::int32_t vfoA) {
        RADIO_MEMORY_RECORD r;
        r.SetName(name);
        auto& w = r.snapshot;
        w[0] = vfoA;
        w[1] = vfoA + 15000;
        w[2] = 2;
        w[3] = 2;
        w[4] = 700;
        w[5] = 1;
        w[6] = 2;
        w[7] = 1;
        w[8] = 25;
        w[9] = 1;
        w[10] = 50;
        w[15] = -120;
        w[18] = 6;
        return r;
    }

    void saveDialogShot(QWidget& dialog, const char* name) {
#ifdef PANEL_SCREENSHOT_DIR
        std::filesystem::create_directories(PANEL_SCREENSHOT_DIR);
        QCoreApplication::processEvents();
        dialog.grab().toImage().save(QString::fromLatin1(PANEL_SCREENSHOT_DIR "/") +
                                     QString::fromLatin1(name));
#else
        (void)dialog;
        (void)name;
#endif
    }

    MemoryPanelRemote m_rec;
    std::unique_ptr<CK2MemoryCfg> m_memories;
    std::unique_ptr<MemoryCommands> m_commands;
};
