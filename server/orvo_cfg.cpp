#include "server/orvo_cfg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <utility>

#include "controls/looks.h"
#include "platform/message_service.h"
#include "server/config_page.h"
#include "server/ham_band_info_cfg_dlg.h"
#include "server/k2_comm_port_cfg_dlg.h"
#include "server/message_logger_thread.h"
#include "server/server_settings_reader.h"
#include "server/system_cfg_dlg.h"

namespace brakton {

COrvoCfg::COrvoCfg(CServerRegistryStore& store, std::filesystem::path serialDir,
                   PAOptionNotifier notifyPAOption, QWidget* parent, LogFn log)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("System Configuration"));
    setObjectName(QStringLiteral("COrvoCfg"));
    if (!log) {
        log = [](const std::string& line) {
            LogMessage(kLogModeTimeStamped, kLogLevelInformation, line);
        };
    }

    const ServerSettingsReader reader;
    m_system = new CSystemCfgDlg(store, reader);
    m_commPort = new CK2CommPortCfgDlg(store, reader, std::move(serialDir),
                                       std::move(notifyPAOption), std::move(log));
    m_bands = new CHAMBandInfoCFGDlg(store, reader);
    m_pages = {m_system, m_commPort, m_bands};

    // Dialog units: the pages' area, then the buttons under it.
    const QRect tabs = looks::dluToPixels(6, 6, 290, 196);
    m_tabs = new QTabWidget(this);
    m_tabs->setGeometry(tabs);
    for (ConfigPage* page : m_pages) {
        m_tabs->addTab(page, page->Title());
        connect(page, &ConfigPage::modifiedChanged, this, [this] { updateApply(); });
    }

    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_buttons->setGeometry(looks::dluToPixels(6, 206, 290, 16));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &COrvoCfg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &COrvoCfg::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, [this] { Apply(); });
    setFixedSize(looks::dluToPixels(QSize(302, 228)));
    updateApply();
}

COrvoCfg::~COrvoCfg() = default;

QPushButton* COrvoCfg::ApplyButton() const {
    return m_buttons->button(QDialogButtonBox::Apply);
}

QPushButton* COrvoCfg::OkButton() const {
    return m_buttons->button(QDialogButtonBox::Ok);
}

QWidget* COrvoCfg::control(int id) const {
    for (ConfigPage* page : m_pages) {
        if (QWidget* found = page->control(id)) {
            return found;
        }
    }
    return nullptr;
}

void COrvoCfg::updateApply() {
    bool modified = false;
    for (const ConfigPage* page : m_pages) {
        modified = modified || page->IsModified();
    }
    ApplyButton()->setEnabled(modified);
}

bool COrvoCfg::Apply() {
    for (ConfigPage* page : m_pages) {
        if (!page->WasShown()) {
            continue;
        }
        if (const std::optional<Refusal> refusal = page->Check()) {
            MessageService::showError(refusal->message);
            m_tabs->setCurrentWidget(page);
            if (refusal->field != nullptr) {
                refusal->field->setFocus();
                refusal->field->selectAll();
            }
            return false;
        }
    }
    bool written = true;
    for (ConfigPage* page : m_pages) {
        if (page->WasShown() && page->IsModified()) {
            written = page->Apply() && written;
        }
    }
    if (!written) {
        MessageService::showError(kSaveConfigFailed);
    }
    updateApply();
    return written;
}

void COrvoCfg::accept() {
    if (Apply()) {
        QDialog::accept();
    }
}

}  // namespace brakton
