#include "server/config_page.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollArea>

#include <algorithm>

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
    // At least one line of the label's font high, so that no line is clipped.
    QRect rect = looks::dluToPixels(x, y, width, height);
    rect.setHeight(std::max(rect.height(), QFontMetrics(label->font()).height()));
    label->setGeometry(rect);
    return label;
}

void ConfigPage::setNotices(const QString& notices, int x, int y, int width, int height) {
    m_notices = notices;
    m_noticeArea = new QScrollArea(this);
    m_noticeArea->setObjectName(QStringLiteral("noticeArea"));
    m_noticeArea->setFrameShape(QFrame::NoFrame);
    m_noticeArea->setWidgetResizable(true);
    m_noticeArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_noticeArea->viewport()->setAutoFillBackground(false);
    auto* label = new QLabel(notices.trimmed());
    label->setObjectName(QStringLiteral("notices"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("color: #A00000"));
    label->setAutoFillBackground(false);
    m_noticeArea->setWidget(label);
    m_noticeRect = looks::dluToPixels(x, y, width, height);
    m_noticeArea->setGeometry(m_noticeRect);
    m_noticeArea->setVisible(!notices.isEmpty());
}

void ConfigPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_noticeArea != nullptr) {
        // Down to the page's foot, whatever was asked: the area scrolls for the rest.
        QRect area = m_noticeRect;
        const int room = height() - m_noticeRect.top() - 2;
        if (room > 0) {
            area.setHeight(room);
        }
        m_noticeArea->setGeometry(area);
    }
}

}  // namespace brakton
