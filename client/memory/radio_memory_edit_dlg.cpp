#include "client/memory/radio_memory_edit_dlg.h"

#include <QDebug>
#include <QTableWidget>

#include "client/memory/k2_memory_cfg.h"
#include "client/memory/memory_dialog_looks.h"
#include "client/memory/memory_fields.h"
#include "client/memory/saving_memory_location_dlg.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/looks.h"
#include "platform/message_service.h"

namespace {

constexpr const char* kHeadings[] = {"Memory", "Freq (KHz)", "Mode",  "XFIL", "AFIL",
                                     "NB",     "PreAmp",     "ATT",   "AGC",  "RIT",
                                     "XIT",    "CW Spd",     "Power", "ANT"};
constexpr int kWidths[] = {100, 80, 50, 50, 50, 50, 50, 50, 50, 50, 50, 60, 50, 50};

}  // namespace

CRadioMemoryEditDlg::CRadioMemoryEditDlg(CK2MemoryCfg& memories, pelorin::CRegistryStore& store,
                                         QWidget* panel)
    : QDialog(panel), m_memories(memories), m_store(store) {
    setWindowTitle(QStringLiteral("Editing Memory"));
    setFixedSize(looks::dluToPixels(QSize(548, 170)));
    m_list =
        memory_looks::MakeList(*this, QRect(7, 7, 534, 132), IDC_MEMORY_LIST, kHeadings, kWidths);
    // The fourteen columns share the list's width, each heading whole.
    memory_looks::FitColumns(*m_list);

    m_btnEdit = new CxShadeButton(QStringLiteral("Edit"), this);
    m_btnEdit->setGeometry(looks::dluToPixels(179, 146, 55, 16));
    m_btnDelete = new CxShadeButton(QStringLiteral("Delete"), this);
    m_btnDelete->setGeometry(looks::dluToPixels(246, 146, 55, 16));
    m_btnDone = new CxShadeButton(QStringLiteral("Done"), this);
    m_btnDone->setGeometry(looks::dluToPixels(313, 146, 55, 16));
    m_btnDone->setDefault(true);
    for (CxShadeButton* b : {m_btnEdit, m_btnDelete, m_btnDone}) {
        green_shade::style(*b);
    }
    connect(m_btnEdit, &QPushButton::clicked, this, [this] { OnEdit(); });
    connect(m_btnDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_btnDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnEdit(); });
}

void CRadioMemoryEditDlg::OnInitDialog() {
    FillMemoryList();
    PlaceWindowBesidePanel(*this, m_store, FollowerPlace::Under, WhenAnchorSmaller::Centre);
}

int CRadioMemoryEditDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CRadioMemoryEditDlg::FillMemoryList() {
    memory_looks::FillList(*m_list, m_memories, memory_fields::EditRow);
}

void CRadioMemoryEditDlg::OnDelete() {
    int slot = -1;
    QString name;
    if (!memory_looks::SelectedMemory(*m_list, slot, name)) {
        return;
    }
    qDebug("Selected Memory: %s", qPrintable(name));
    const std::string quoted = "\"" + name.toStdString() + "\"";
    if (MessageService::askYesNo("Deleting Memory " + quoted + "?",
                                 MessageService::Icon::Question)) {
        const std::uint32_t status = m_memories.DeleteMemoryAt(slot);
        if (status == K2ERR_STORE_READ_ONLY) {
            MessageService::showError(m_memories.MemoryRefusal());
        } else if (status != 0) {
            MessageService::showError("Error in Deleting Memory " + name.toStdString());
        }
    }
    FillMemoryList();
}

void CRadioMemoryEditDlg::OnEdit() {
    int slot = -1;
    QString name;
    if (!memory_looks::SelectedMemory(*m_list, slot, name)) {
        return;
    }
    qDebug("Selected Memory: %s", qPrintable(name));
    RADIO_MEMORY_RECORD record;
    if (m_memories.GetMemoryAt(slot, record) != 0) {
        return;
    }
    CSavingMemoryLocationDlg editor(m_store, this);
    editor.SetMemoryRecord(1, record);
    editor.SetMemoryName(record.Name());
    emit editorOpened(&editor);
    if (editor.exec() == QDialog::Accepted) {
        const std::uint32_t status = m_memories.ModifyMemoryAt(slot, editor.GetMemoryRecord());
        if (status == K2ERR_STORE_READ_ONLY) {
            MessageService::showError(m_memories.MemoryRefusal());
        } else if (status != 0) {
            MessageService::showError("Error in Editing Memory " + name.toStdString());
        }
    }
    FillMemoryList();
}
