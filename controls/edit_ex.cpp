#include "controls/edit_ex.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

CEditEx::CEditEx(QWidget* parent)
    : QLineEdit(parent),
      TextLooks(looks::sysColorRef(looks::SysColor::Window),
                looks::sysColorRef(looks::SysColor::WindowText)) {
    applyColors();
}

CEditEx::~CEditEx() = default;

void CEditEx::applyColors() {
    // Every colour group, so a read-only or inactive edit keeps its colours.
    QPalette pal = palette();
    const QColor bk = looks::toQColor(GetBkColor());
    const QColor fg = looks::toQColor(GetTextColor());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, bk);
        pal.setColor(group, QPalette::Window, bk);
        pal.setColor(group, QPalette::Text, fg);
    }
    setPalette(pal);
    update();
}

void CEditEx::SetCharFilter(std::unique_ptr<CharFilter> filter) {
    m_filter = std::move(filter);
}

void CEditEx::Assign(const CEditEx& other) {
    if (&other == this) {
        return;
    }
    assignLooks(other);
}

void CEditEx::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (m_filter && !typed.isEmpty() && !(event->modifiers() & Qt::ControlModifier)) {
        for (const char32_t ch : typed.toUcs4()) {
            if (QChar::isPrint(ch) && !m_filter->Accept(ch)) {
                looks::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void CEditEx::contextMenuEvent(QContextMenuEvent* event) {
    if (m_contextMenu.isNull()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    m_contextMenu->exec(event->globalPos());
    event->accept();
}
