#include "client/memory/memory_commands.h"

#include <QDebug>
#include <QDialog>

#include <cstdio>

#include "client/memory/k2_memory_cfg.h"
#include "client/memory/memory_recall_dlg.h"
#include "client/memory/radio_memory_edit_dlg.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "client/memory/status_hex.h"
#include "client/panel/k2_front_panel_control_dlg.h"
#include "client/panel/status_watching_remote.h"
#include "platform/message_service.h"

namespace {

std::string kHz(std::int32_t hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%10.2fKHz", static_cast<double>(hz) / 1000.0);
    return text;
}

RADIO_MEMORY_RECORD RecordOf(const RADIO_SNAPSHOT& snapshot) {
    RADIO_MEMORY_RECORD record;
    record.snapshot = snapshot.words;
    return record;
}

RADIO_SNAPSHOT SnapshotOf(const RADIO_MEMORY_RECORD& record) {
    RADIO_SNAPSHOT snapshot;
    snapshot.words = record.snapshot;
    return snapshot;
}

}  // namespace

MemoryCommands::MemoryCommands(CK2MemoryCfg& memories, pelorin::CRegistryStore& store,
                               CK2FrontPanelControlDlg& panel)
    : m_memories(memories), m_store(store), m_panel(panel) {}

void MemoryCommands::Install(PanelCommandEntryPoints& entryPoints) {
    entryPoints.saveStackRegister = [this] { SaveStackRegister(); };
    entryPoints.recallStackRegister = [this] { RecallStackRegister(); };
    entryPoints.saveMemory = [this] { SaveMemory(); };
    entryPoints.recallMemory = [this] { RecallMemory(); };
    entryPoints.editMemory = [this] { EditMemory(); };
}

void MemoryCommands::Opened(QDialog& dialog) {
    if (m_dialogHook) {
        m_dialogHook(dialog);
    }
}

void MemoryCommands::SaveStackRegister() {
    const RADIO_SNAPSHOT snapshot = m_panel.BuildRadioSnapshot();
    const std::uint32_t status = m_memories.PushStackRegister(RecordOf(snapshot));
    if (status == K2ERR_STORE_READ_ONLY) {
        m_panel.ShowStatus(kStatusError, m_memories.RegisterRefusal());
        return;
    }
    if (status != 0) {
        m_panel.ShowStatus(kStatusError, "Save StackReg Mem, Error: " + StatusHex(status));
        return;
    }
    m_panel.ShowStatus(kStatusNormal, "Save StackReg Mem: " + kHz(snapshot[RADIO_SNAPSHOT::VfoA]));
}

void MemoryCommands::RecallStackRegister() {
    RADIO_MEMORY_RECORD record;
    const std::uint32_t status = m_memories.RecallStackRegister(record);
    if (status != 0) {
        m_panel.ShowStatus(kStatusError, "Recall StackReg Mem, Error: " + StatusHex(status));
        return;
    }
    const DownloadOutcome outcome = m_panel.DownloadRadioSnapshot(SnapshotOf(record));
    ShowRecall("Recall StackReg Mem: " + kHz(record.snapshot[0]), outcome);
}

void MemoryCommands::ShowRecall(const std::string& recall, const DownloadOutcome& outcome) {
    switch (outcome.kind) {
        case DownloadOutcome::Refused:
            m_panel.ShowStatus(kStatusError, recall + " not sent: " + RefusalText(outcome.status));
            break;
        case DownloadOutcome::Failed:
            // The panel has shown that the connection is gone.
            break;
        case DownloadOutcome::Sent:
        case DownloadOutcome::NotConnected:
            m_panel.ShowStatus(kStatusNormal, recall);
            break;
    }
}

void MemoryCommands::SaveMemory() {
    RADIO_MEMORY_RECORD record = RecordOf(m_panel.BuildRadioSnapshot());
    CSavingMemoryLocationDlg dialog(m_store, &m_panel);
    dialog.SetMemoryRecord(0, record);
    for (;;) {
        Opened(dialog);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        record = dialog.GetMemoryRecord();
        const std::string typed = dialog.GetMemoryName();
        if (typed.empty()) {
            const auto name = m_memories.NextUnusedMemoryName();
            if (!name) {
                m_panel.ShowStatus(kStatusError,
                                   "Save memory, Error: " + StatusHex(K2ERR_MEMORY_FULL));
                return;
            }
            record.SetName(*name);
            break;
        }
        // The name as it is stored (79 bytes at most) is the one that must be
        // new.
        record.SetName(typed);
        if (!m_memories.IsMemoryNameUsed(record.Name())) {
            break;
        }
        MessageService::showWarning(kNameNotUnique);
    }
    const std::uint32_t status = m_memories.AddMemory(record);
    if (status == K2ERR_STORE_READ_ONLY) {
        m_panel.ShowStatus(kStatusError, m_memories.MemoryRefusal());
        return;
    }
    if (status != 0) {
        m_panel.ShowStatus(kStatusError, "Save memory, Error: " + StatusHex(status));
        return;
    }
    m_panel.ShowStatus(kStatusNormal, "Saved Mem \"" + record.Name() + "\"");
}

void MemoryCommands::RecallMemory() {
    if (m_memories.GetMemoryCount() == 0) {
        return;
    }
    CMemoryRecallDlg dialog(m_memories, m_store, &m_panel);
    Opened(dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    qDebug("Selected Memory: %s", dialog.m_strSelectedName.c_str());
    RADIO_MEMORY_RECORD record;
    const std::uint32_t status = dialog.m_nSelectedSlot < 0
                                     ? K2ERR_MEMORY_NOT_FOUND
                                     : m_memories.GetMemoryAt(dialog.m_nSelectedSlot, record);
    if (status != 0) {
        m_panel.ShowStatus(kStatusError, "Recall Mem, Error: " + StatusHex(status));
        return;
    }
    const DownloadOutcome outcome = m_panel.DownloadRadioSnapshot(SnapshotOf(record));
    ShowRecall("Recall Mem \"" + record.Name() + "\"", outcome);
}

void MemoryCommands::EditMemory() {
    CRadioMemoryEditDlg dialog(m_memories, m_store, &m_panel);
    Opened(dialog);
    dialog.exec();
}
