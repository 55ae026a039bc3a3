#include "controls/static_ex.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>

#include <utility>

namespace {

CStaticEx::UrlOpener& urlOpener() {
    static CStaticEx::UrlOpener opener;
    return opener;
}

CStaticEx::MessageHook& messageHook() {
    static CStaticEx::MessageHook hook;
    return hook;
}

bool openUrl(const QString& url) {
    const CStaticEx::UrlOpener& opener = urlOpener();
    if (opener) {
        return opener(url);
    }
    return QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void showMessage(QWidget* parent, const QString& text) {
    const CStaticEx::MessageHook& hook = messageHook();
    if (hook) {
        hook(parent, text);
        return;
    }
    QMessageBox::information(parent, QCoreApplication::applicationName(), text);
}

}  // namespace

CStaticEx::UrlOpener CStaticEx::SetUrlOpener(UrlOpener opener) {
    return std::exchange(urlOpener(), std::move(opener));
}

CStaticEx::MessageHook CStaticEx::SetMessageHook(MessageHook hook) {
    return std::exchange(messageHook(), std::move(hook));
}

CStaticEx::CStaticEx(QWidget* parent) : CStaticEx(QString(), parent) {}

CStaticEx::CStaticEx(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      m_bkColor(looks::sysColorRef(looks::SysColor::BtnFace)),
      m_textColor(looks::sysColorRef(looks::SysColor::WindowText)) {
    setAutoFillBackground(true);
    applyColors();
}

CStaticEx::~CStaticEx() = default;

void CStaticEx::applyColors() {
    QPalette pal = palette();
    const QColor bk = looks::toQColor(m_bkColor);
    const QColor fg = looks::toQColor(!m_url.isEmpty() && m_visited ? m_visitedColor : m_textColor);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, bk);
        pal.setColor(group, QPalette::WindowText, fg);
    }
    setPalette(pal);
    update();
}

void CStaticEx::SetFont(const looks::FontDescription* description) {
    if (description == nullptr) {
        return;
    }
    m_font = *description;
    setFont(looks::makeFont(*m_font));
}

void CStaticEx::SetFont(int height, int /*ignored*/, int pitchAndFamily, const QString& face) {
    looks::FontDescription d;
    d.face = face;
    d.height = height;
    d.weight = 400;
    d.pitchAndFamily = pitchAndFamily;
    SetFont(&d);
}

const looks::FontDescription* CStaticEx::GetFontDescription() const {
    return m_font ? &*m_font : nullptr;
}

COLORREF CStaticEx::SetBkColor(COLORREF color) {
    const COLORREF previous = m_bkColor;
    m_bkColor = color;
    applyColors();
    return previous;
}

COLORREF CStaticEx::SetTextColor(COLORREF color) {
    const COLORREF previous = m_textColor;
    m_textColor = color;
    applyColors();
    return previous;
}

COLORREF CStaticEx::SetVisitedColor(COLORREF color) {
    const COLORREF previous = m_visitedColor;
    m_visitedColor = color;
    applyColors();
    return previous;
}

void CStaticEx::SetLinkCursor(bool on) {
    m_linkCursor = on;
    if (on) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void CStaticEx::Assign(const CStaticEx& other) {
    if (&other == this) {
        return;
    }
    m_url = other.m_url;
    m_visitedColor = other.m_visitedColor;
    m_clickDialog = other.m_clickDialog;
    m_companion = other.m_companion;
    m_visited = other.m_visited;
    m_clickNotify = other.m_clickNotify;
    SetLinkCursor(other.m_linkCursor);
    SetBkColor(other.m_bkColor);
    SetTextColor(other.m_textColor);
    if (other.m_font) {
        SetFont(&*other.m_font);
    }
}

void CStaticEx::paintEvent(QPaintEvent* event) {
    // A link takes clicks from its first paint on.
    if (!m_url.isEmpty()) {
        m_notify = true;
    }
    QLabel::paintEvent(event);
}

void CStaticEx::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_notify &&
        rect().contains(event->position().toPoint())) {
        event->accept();
        Click();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CStaticEx::Click() {
    if (QWidget* companion = m_companion.data()) {
        companion->setVisible(!companion->isVisible());
    }
    if (QDialog* dialog = m_clickDialog.data()) {
        dialog->exec();
    }
    if (!m_url.isEmpty()) {
        if (openUrl(m_url)) {
            m_visited = true;
            applyColors();
        } else {
            looks::beep();
            showMessage(this, QStringLiteral("Unable to open ") + m_url + QStringLiteral("."));
        }
    }
    if (m_clickNotify) {
        m_clickNotify();
    }
}
