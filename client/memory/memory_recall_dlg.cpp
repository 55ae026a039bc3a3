#include "client/memory/memory_recall_dlg.h"

#include <QDebug>
#include <QTableWidget>

#include "client/app/registry_store.h"
#include "client/memory/k2_memory_cfg.h"
#include "client/memory/memory_dialog_looks.h"
#include "client/memory/memory_fields.h"
#include "client/panel/place_under_panel.h"
#include "controls/cx_shade_button.h"
#include "controls/looks.h"

namespace {

constexpr const char* kHeadings[] = {"Memory", "Freq (KHz)",   "Band",
                                     "Mode",   "XFilter (Hz)", "Split"};
constexpr int kWidths[] = {180, 120, 100, 100, 100, 80};
constexpr int kColumns = 6;

}  // namespace

CMemoryRecallDlg::CMemoryRecallDlg(CK2MemoryCfg& memories, pelorin::CRegistryStore& store,
                                   QWidget* panel)
    : QDialog(panel), m_memories(memories), m_store(store) {
    setWindowTitle(QStringLiteral("Recalling Memory"));
    setFixedSize(looks::dluToPixels(QSize(360, 170)));
    m_list = new QTableWidget(this);
    m_list->setGeometry(looks::dluToPixels(7, 7, 346, 132));
    m_list->setObjectName(QStringLiteral("list%1").arg(IDC_MEMNAME_LISTCTRL));
    memory_looks::StyleList(*m_list, kWidths, kColumns);
    QStringList headings;
    for (const char* h : kHeadings) {
        headings << QString::fromLatin1(h);
    }
    m_list->setHorizontalHeaderLabels(headings);
    m_btnSelect = new CxShadeButton(QStringLiteral("Select"), this);
    m_btnSelect->setGeometry(looks::dluToPixels(152, 146, 55, 16));
    m_btnSelect->setDefault(true);
    memory_looks::StyleButton(*m_btnSelect);
    connect(m_btnSelect, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { OnDblclkMemnameListctrl(); });
}

void CMemoryRecallDlg::OnInitDialog() {
    m_list->setRowCount(0);
    RADIO_MEMORY_RECORD record;
    for (bool more = m_memories.GetFirstMemory(record); more;
         more = m_memories.GetNextMemory(record)) {
        const auto row = memory_fields::RecallRow(
            record, m_store.GetTuningRangeName(record.snapshot[memory_fields::kBand]));
        const int r = m_list->rowCount();
        m_list->insertRow(r);
        for (int c = 0; c < kColumns; ++c) {
            auto* item =
                new QTableWidgetItem(QString::fromStdString(row[static_cast<std::size_t>(c)]));
            item->setData(Qt::UserRole, record.slot);
            m_list->setItem(r, c, item);
        }
    }
    PlaceWindowUnderPanel(*this, m_store, parentWidget(), WhenPanelSmaller::Centre);
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
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty()) {
        const int row = selected.first()->row();
        m_nSelectedSlot = m_list->item(row, 0)->data(Qt::UserRole).toInt();
        m_strSelectedName = m_list->item(row, 0)->text().toStdString();
    }
    QDialog::accept();
}
