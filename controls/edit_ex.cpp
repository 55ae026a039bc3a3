#include "controls/edit_ex.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

CEditEx::CEditEx(QWidget* parent)
    : QLineEdit(parent),
      m_bkColor(looks::sysColorRef(looks::SysColor::Window)),
      m_textColor(looks::sysColorRef(looks::SysColor::WindowText)) {
    applyColors();
}

CEditEx::~CEditEx() = default;

void CEditEx::applyColors() {
    // Every colour group, so a read-only or inactive edit keeps its colours.
    QPalette pal = palette();
    const QColor bk = looks::toQColor(m_bkColor);
    const QColor fg = looks::toQColor(m_textColor);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, bk);
        pal.setColor(group, QPalette::Window, bk);
        pal.setColor(group, QPalette::Text, fg);
    }
    setPalette(pal);
    update();
}

void CEditEx::SetFont(const looks::FontDescription* description) {
    if (description == nullptr) {
        return;
    }
    m_font = *description;
    setFont(looks::makeFont(*m_font));
}

void CEditEx::SetFont(int height, int /*ignored*/, int pitchAndFamily, const QString& face) {
    looks::FontDescription d;
    d.face = face;
    d.height = height;
    d.weight = 400;
    d.pitchAndFamily = pitchAndFamily;
    SetFont(&d);
}

const looks::FontDescription* CEditEx::GetFontDescription() const {
    return m_font ? &*m_font : nullptr;
}

COLORREF CEditEx::SetBkColor(COLORREF color) {
    const COLORREF previous = m_bkColor;
    m_bkColor = color;
    applyColors();
    return previous;
}

COLORREF CEditEx::SetTextColor(COLORREF color) {
    const COLORREF previous = m_textColor;
    m_textColor = color;
    applyColors();
    return previous;
}

void CEditEx::SetCharFilter(std::unique_ptr<CharFilter> filter) {
    m_filter = std::move(filter);
}

void CEditEx::Assign(const CEditEx& other) {
    if (&other == this) {
        return;
    }
    SetBkColor(other.m_bkColor);
    SetTextColor(other.m_textColor);
    if (other.m_font) {
        SetFont(&*other.m_font);
    }
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
