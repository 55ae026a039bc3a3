#include "client/cw/transmit_memory_cfg_dlg.h"

#include <QGridLayout>
#include <QLabel>

#include "client/cw/memory_key_store.h"
#include "client/cw/memory_text_edit.h"
#include "controls/edit_ex.h"

CTransmitMemoryCFGDlg::CTransmitMemoryCFGDlg(MemoryKeyStore& store, QWidget* parent)
    : PropertyPage(parent), m_store(store) {
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 11; ++i) {
        const auto at = static_cast<std::size_t>(i);
        grid->addWidget(new QLabel(QStringLiteral("F%1:").arg(i + 1), this), i, 0);
        m_edits[at] = MakeMemoryTextEdit(this);
        m_edits[at]->setObjectName(QStringLiteral("F%1").arg(i + 1));
        m_edits[at]->setText(QString::fromStdString(m_store.text(i)));
        grid->addWidget(m_edits[at], i, 1);
        connect(m_edits[at], &QLineEdit::textEdited, this, [this, at] {
            m_edited[at] = true;
            setModified(true);
        });
    }
    connect(&m_store, &MemoryKeyStore::changed, this, [this](int index, const std::string& text) {
        if (index >= 0 && index < 11 && !m_edited[static_cast<std::size_t>(index)]) {
            m_edits[static_cast<std::size_t>(index)]->setText(QString::fromStdString(text));
        }
    });
}

CEditEx* CTransmitMemoryCFGDlg::edit(int index) const {
    return index >= 0 && index < 11 ? m_edits[static_cast<std::size_t>(index)] : nullptr;
}

bool CTransmitMemoryCFGDlg::apply() {
    bool saved = true;
    for (int i = 0; i < 11; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (m_edited[at]) {
            // A failed write is reported by the store (its own words); the
            // text is used all the same.
            saved = m_store.write(i, m_edits[at]->text().toStdString()) && saved;
            m_edited[at] = false;
        }
    }
    setModified(false);
    return saved;
}
