#include "client/panel/splash_wnd.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// Stands for the splash thread's pointer: null once the splash is gone.
QPointer<CSplashWnd> g_pSplashThread;

}  // namespace

// The picture lives in this library's resources; a static library must ask
// for them (outside any namespace).
static void loadSplashPicture() {
    Q_INIT_RESOURCE(splash);
}

CSplashWnd::CSplashWnd(const QPixmap& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picture) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedSize(m_picture.size() / m_picture.devicePixelRatio());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void CSplashWnd::closeEvent(QCloseEvent* event) {
    if (m_bOKToClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The window system moves it where it can; otherwise the mouse moves do.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_grab = event->globalPosition().toPoint() - pos();
}

void CSplashWnd::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - m_grab);
    }
}

void CSplashWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
}

namespace splash {

void Start(std::chrono::milliseconds bound) {
    if (g_pSplashThread) {
        return;
    }
    loadSplashPicture();
    auto* window = new CSplashWnd(QPixmap(QStringLiteral(":/pelorin/splash.png")));
    g_pSplashThread = window;
    window->show();
    window->raise();
    QTimer::singleShot(bound, window, [] { Hide(); });
}

void Hide() {
    CSplashWnd* window = g_pSplashThread.data();
    if (window == nullptr) {
        return;
    }
    g_pSplashThread.clear();
    window->SetOKToClose();
    window->close();
    delete window;
}

CSplashWnd* Current() {
    return g_pSplashThread.data();
}

}  // namespace splash
