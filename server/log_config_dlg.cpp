#include "server/log_config_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QGroupBox* makeGroup(const QString& title, QButtonGroup* group,
                     std::initializer_list<std::pair<const char*, int>> buttons, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (const auto& [text, value] : buttons) {
        auto* button = new QRadioButton(QString::fromLatin1(text), box);
        group->addButton(button, value);
        layout->addWidget(button);
    }
    return box;
}

}  // namespace

CLogConfigDlg::CLogConfigDlg(short level, short destination, QWidget* parent)
    : QDialog(parent),
      m_nLogLevel(level),
      m_nLogDestination(destination),
      m_levels(new QButtonGroup(this)),
      m_destinations(new QButtonGroup(this)) {
    setWindowTitle(QStringLiteral("Config Log"));
    setObjectName(QStringLiteral("ConfigLog"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(makeGroup(QStringLiteral("Logging Type"), m_levels,
                                {{"Information", 2}, {"Error", 1}, {"Both", 3}}, this));
    groups->addWidget(
        makeGroup(QStringLiteral("Logging To"), m_destinations,
                  {{"Log To Screen", 1}, {"Log To File", 2}, {"Log To Screen and File", 3}}, this));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);

    connect(m_levels, &QButtonGroup::idClicked, this, [this](int id) {
        m_nLogLevel = static_cast<short>(id);
        check();
    });
    connect(m_destinations, &QButtonGroup::idClicked, this, [this](int id) {
        m_nLogDestination = static_cast<short>(id);
        check();
    });
    check();
}

void CLogConfigDlg::check() {
    if (QAbstractButton* button = m_levels->button(m_nLogLevel)) {
        button->setChecked(true);
    }
    if (QAbstractButton* button = m_destinations->button(m_nLogDestination)) {
        button->setChecked(true);
    }
}
