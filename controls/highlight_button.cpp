#include "controls/highlight_button.h"

#include <QFontMetrics>
#include <QImage>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

#include "controls/control_trace.h"
#include "controls/edge_draw.h"

CHighLightButton::CHighLightButton(QWidget* parent) : CHighLightButton(QString(), parent) {}

CHighLightButton::CHighLightButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
    setAutoDefault(false);
    setMouseTracking(true);
    m_timer.setInterval(kHoverCheckMs);
    connect(&m_timer, &QTimer::timeout, this, &CHighLightButton::checkHover);
}

void CHighLightButton::startHover() {
    m_cursorInside = true;
    if (m_hovered) {
        return;
    }
    qCDebug(lcControlTrace, "Entering control");
    m_hovered = true;
    update();
    m_timer.start();
    hoverStarted();
}

void CHighLightButton::checkHover() {
    if (m_cursorInside) {
        return;
    }
    qCDebug(lcControlTrace, "Leaving control");
    m_hovered = false;
    m_timer.stop();
    update();
}

void CHighLightButton::mouseMoveEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint())) {
        startHover();
    }
    QPushButton::mouseMoveEvent(event);
}

void CHighLightButton::enterEvent(QEnterEvent* event) {
    startHover();
    QPushButton::enterEvent(event);
}

void CHighLightButton::leaveEvent(QEvent* event) {
    // The hover itself ends at the next timer tick.
    m_cursorInside = false;
    QPushButton::leaveEvent(event);
}

void CHighLightButton::paintEvent(QPaintEvent* /*event*/) {
    const QRect item = rect();
    if (item.isEmpty()) {
        return;
    }
    QImage canvas(item.size(), QImage::Format_RGB32);
    {
        QPainter p(&canvas);
        p.setFont(font());
        edges::drawPushFrame(p, item, isDown());
        const QRect inner = item.adjusted(edges::kEdgeWidth, edges::kEdgeWidth, -edges::kEdgeWidth,
                                          -edges::kEdgeWidth);
        if (m_hovered) {
            p.fillRect(inner, looks::toQColor(m_highlightColor));
        }
        if (!text().isEmpty()) {
            const QFontMetrics fm(p.font());
            const QSize extent(fm.horizontalAdvance(text()), fm.height());
            QPoint origin(inner.left() + (inner.width() - extent.width()) / 2,
                          inner.top() + (inner.height() - extent.height()) / 2);
            if (isDown()) {
                origin += QPoint(1, 1);
            }
            const int flags =
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
            const QRect at(origin, extent);
            if (!isEnabled()) {
                p.setPen(looks::sysColor(looks::SysColor::BtnHighlight));
                p.drawText(at.translated(1, 1), flags, text());
                p.setPen(looks::sysColor(looks::SysColor::BtnShadow));
                p.drawText(at, flags, text());
            } else {
                p.setPen(looks::sysColor(looks::SysColor::BtnText));
                p.drawText(at, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
            }
        }
    }
    QPainter widgetPainter(this);
    widgetPainter.drawImage(0, 0, canvas);
}

CHighLightTTButton::CHighLightTTButton(QWidget* parent) : CHighLightTTButton(QString(), parent) {}

CHighLightTTButton::CHighLightTTButton(const QString& text, QWidget* parent)
    : CHighLightButton(text, parent) {}

void CHighLightTTButton::hoverStarted() {
    // Once per hover, never from painting: the raised window repaints, and a
    // notice per repaint would keep raising it for as long as the cursor rests.
    if (m_notifyWindow.isNull()) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { emit moveWinForeground(); }, Qt::QueuedConnection);
}

void CHighLightTTButton::SetTooltipText(const QString* text, bool activate) {
    if (text == nullptr) {
        return;
    }
    m_hasTool = true;
    m_tipText = *text;
    m_tipActive = activate;
    applyTooltip();
}

void CHighLightTTButton::ActivateTooltip(bool activate) {
    if (!m_hasTool) {
        return;
    }
    m_tipActive = activate;
    applyTooltip();
}

void CHighLightTTButton::applyTooltip() {
    setToolTip(m_tipActive ? m_tipText : QString());
}
