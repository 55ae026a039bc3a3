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
      TextLooks(looks::sysColorRef(looks::SysColor::BtnFace),
                looks::sysColorRef(looks::SysColor::WindowText)) {
    setAutoFillBackground(true);
    applyColors();
}

CStaticEx::~CStaticEx() = default;

void CStaticEx::applyColors() {
    QPalette pal = palette();
    const QColor bk = looks::toQColor(GetBkColor());
    const QColor fg =
        looks::toQColor(!m_url.isEmpty() && m_visited ? m_visitedColor : GetTextColor());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, bk);
        pal.setColor(group, QPalette::WindowText, fg);
    }
    setPalette(pal);
    update();
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
    assignLooks(other);
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
