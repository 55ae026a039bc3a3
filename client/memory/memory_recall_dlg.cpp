#include "client/memory/memory_recall_dlg.h"

#include <QDebug>
#include <QTableWidget>

#include "client/base/registry_store.h"
#include "client/memory/k2_memory_cfg.h"
#include "client/memory/memory_dialog_looks.h"
#include "client/memory/memory_fields.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/green_shade.h"
#include "controls/looks.h"

namespace {

constexpr const char* kHeadings[] = {"Memory", "Freq (KHz)",   "Band",
                                     "Mode",   "XFilter (Hz)", "Split"};
constexpr int kWidths[] = {180, 120, 100, 100, 100, 80};

}  // namespace

CMemoryRecallDlg::CMemoryRecallDlg(CK2MemoryCfg& memories, pelorin::CRegistryStore& store,
                                   QWidget* panel)
    : QDialog(panel), m_memories(memories), m_store(store) {
    setWindowTitle(QStringLiteral("Recalling Memory"));
    setFixedSize(looks::dluToPixels(QSize(360, 170)));
    m_list = memory_looks::MakeList(*this, QRect(7, 7, 346, 132), IDC_MEMNAME_LISTCTRL, kHeadings,
                                    kWidths);
    memory_looks::FitColumns(*m_list);
    m_btnSelect = new CxShadeButton(QStringLiteral("Select"), this);
    m_btnSelect->setGeometry(looks::dluToPixels(152, 146, 55, 16));
    m_btnSelect->setDefault(true);
    green_shade::style(*m_btnSelect);
    connect(m_btnSelect, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { OnDblclkMemnameListctrl(); });
}

void CMemoryRecallDlg::OnInitDialog() {
    memory_looks::FillList(*m_list, m_memories, [this](const RADIO_MEMORY_RECORD& record) {
        return memory_fields::RecallRow(
            record, m_store.GetTuningRangeName(record.snapshot[memory_fields::kBand]));
    });
    PlaceWindowBesidePanel(*this, m_store, FollowerPlace::Under, WhenAnchorSmaller::Centre);
}

int CMemoryRecallDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CMemoryRecallDlg::OnDblclkMemnameListctrl() {
    qDebug("OnDblclkMemnameListctrl");
    if (m_list->currentRow() >= 0 && !m_list->selectedItems().isEmpty()) {
        accept();
    }
}

void CMemoryRecallDlg::accept() {
    int slot = -1;
    QString name;
    if (memory_looks::SelectedMemory(*m_list, slot, name)) {
        m_nSelectedSlot = slot;
        m_strSelectedName = name.toStdString();
    }
    QDialog::accept();
}
