#include "client/config/orvo_cfg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>

#include "client/config/system_cfg_dlg.h"
#include "controls/looks.h"
#include "controls/property_page.h"
#include "platform/message_service.h"

namespace pelorin {

COrvoCfg::COrvoCfg(CRegistryStore& store, PostCommand post, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("System Configuration"));
    m_tabs = new QTabWidget(this);
    m_tabs->setGeometry(looks::dluToPixels(6, 6, 300, 246));
    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_buttons->setGeometry(looks::dluToPixels(6, 256, 300, 16));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &COrvoCfg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &COrvoCfg::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, [this] { Apply(); });
    // Tall enough for the page's "QSO Logging" group with its bottom edge.
    setFixedSize(looks::dluToPixels(QSize(312, 278)));

    m_system = new CSystemCfgDlg(store, std::move(post));
    addPage(m_system, QStringLiteral("System Configuration"));
}

COrvoCfg::~COrvoCfg() = default;

QPushButton* COrvoCfg::ApplyButton() const {
    return m_buttons->button(QDialogButtonBox::Apply);
}

void COrvoCfg::addPage(QWidget* widget, const QString& title) {
    auto* page = qobject_cast<PropertyPage*>(widget);
    if (page == nullptr) {
        return;
    }
    m_pages.push_back(page);
    m_tabs->addTab(page, title);
    connect(page, &PropertyPage::modified, this, [this] { UpdateApply(); });
    UpdateApply();
}

void COrvoCfg::UpdateApply() {
    bool modified = false;
    for (const PropertyPage* page : m_pages) {
        modified = modified || page->isModified();
    }
    ApplyButton()->setEnabled(modified);
}

bool COrvoCfg::Apply() {
    for (PropertyPage* page : m_pages) {
        // The refused field shows on its own page.
        const int index = m_tabs->currentIndex();
        m_tabs->setCurrentWidget(page);
        if (!page->check()) {
            return false;
        }
        m_tabs->setCurrentIndex(index);
    }
    bool written = true;
    for (PropertyPage* page : m_pages) {
        if (page->isModified()) {
            written = page->apply() && written;
        }
    }
    if (!written) {
        MessageService::showError(kSaveConfigFailed);
    }
    UpdateApply();
    return written;
}

void COrvoCfg::accept() {
    if (Apply()) {
        QDialog::accept();
    }
}

}  // namespace pelorin
