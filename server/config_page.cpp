#include "server/config_page.h"

#include <QLineEdit>

#include "controls/looks.h"
#include "controls/utf8_limit_validator.h"
#include "platform/config_fields.h"

namespace brakton {

ConfigPage::ConfigPage(QWidget* parent) : QWidget(parent) {}

void ConfigPage::SetModified(bool modified) {
    if (m_modified != modified) {
        m_modified = modified;
        emit modifiedChanged(modified);
    }
}

void ConfigPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        if (!m_notices.isEmpty()) {
            markModified();
        }
    }
}

QLineEdit* ConfigPage::addEdit(int id, int x, int y, int width, int height) {
    auto* edit = new QLineEdit(this);
    edit->setGeometry(looks::dluToPixels(x, y, width, height));
    edit->setValidator(new Utf8LimitValidator(platform::kMaxTextFieldBytes, edit));
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    registerControl(id, edit);
    return edit;
}

QLabel* ConfigPage::addLabel(const QString& text, int x, int y, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setGeometry(looks::dluToPixels(x, y, width, height));
    return label;
}

void ConfigPage::setNotices(const QString& notices, int x, int y, int width, int height) {
    m_notices = notices;
    auto* label = new QLabel(notices.trimmed(), this);
    label->setObjectName(QStringLiteral("notices"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("color: #A00000"));
    label->setGeometry(looks::dluToPixels(x, y, width, height));
    label->setVisible(!notices.isEmpty());
}

}  // namespace brakton
