#include "controls/clr_button.h"

#include <QImage>
#include <QPainter>

#include "controls/edge_draw.h"

namespace {

// One ring of 1-pixel lines drawn in the order top, left, bottom, right, so
// the bottom and right lines own the corners they share with the others.
void drawRing(QPainter& p, const QRect& r, const QColor& top, const QColor& left,
              const QColor& bottom, const QColor& right) {
    if (r.width() <= 0 || r.height() <= 0) {
        return;
    }
    const int x0 = r.left();
    const int y0 = r.top();
    const int x1 = r.left() + r.width() - 1;
    const int y1 = r.top() + r.height() - 1;
    p.fillRect(QRect(QPoint(x0, y0), QPoint(x1, y0)), top);
    p.fillRect(QRect(QPoint(x0, y0), QPoint(x0, y1)), left);
    p.fillRect(QRect(QPoint(x0, y1), QPoint(x1, y1)), bottom);
    p.fillRect(QRect(QPoint(x1, y0), QPoint(x1, y1)), right);
}

}  // namespace

CClrButton::CClrButton(QWidget* parent) : CClrButton(QString(), parent) {}

CClrButton::CClrButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    using looks::SysColor;
    using looks::sysColorRef;
    m_textColor = sysColorRef(SysColor::BtnText);
    m_faceColor = sysColorRef(SysColor::BtnFace);
    m_disabledFaceColor = sysColorRef(SysColor::BtnFace);
    m_lightColor = sysColorRef(SysColor::Light3D);
    m_highlightColor = sysColorRef(SysColor::BtnHighlight);
    m_shadowColor = sysColorRef(SysColor::BtnShadow);
    m_darkShadowColor = sysColorRef(SysColor::DkShadow3D);
}

void CClrButton::SetColors(COLORREF text, COLORREF face) {
    SetColors(text, face, looks::sysColorRef(looks::SysColor::BtnFace));
}

void CClrButton::SetColors(COLORREF text, COLORREF face, COLORREF disabledFace) {
    m_textColor = text;
    m_faceColor = face;
    m_disabledFaceColor = disabledFace;
    update();
}

void CClrButton::ResetColors() {
    using looks::SysColor;
    using looks::sysColorRef;
    m_textColor = sysColorRef(SysColor::BtnText);
    m_faceColor = sysColorRef(SysColor::BtnFace);
    m_disabledFaceColor = sysColorRef(SysColor::BtnFace);
    m_lightColor = sysColorRef(SysColor::Light3D);
    m_highlightColor = sysColorRef(SysColor::BtnHighlight);
    m_shadowColor = sysColorRef(SysColor::BtnShadow);
    m_darkShadowColor = sysColorRef(SysColor::DkShadow3D);
    update();
}

void CClrButton::DrawFrame(QPainter& painter, QRect rect, unsigned style) const {
    using looks::toQColor;
    if (style & kFrameOutline) {
        const QColor black(0, 0, 0);
        drawRing(painter, rect, black, black, black, black);
        rect.adjust(1, 1, -1, -1);
    }
    if (style & kFrameRaised) {
        drawRing(painter, rect, toQColor(m_highlightColor), toQColor(m_highlightColor),
                 toQColor(m_darkShadowColor), toQColor(m_darkShadowColor));
        rect.adjust(1, 1, -1, -1);
        drawRing(painter, rect, toQColor(m_lightColor), toQColor(m_lightColor),
                 toQColor(m_shadowColor), toQColor(m_shadowColor));
    }
    if (style & kFrameSunken) {
        drawRing(painter, rect, toQColor(m_darkShadowColor), toQColor(m_darkShadowColor),
                 toQColor(m_darkShadowColor), toQColor(m_darkShadowColor));
        rect.adjust(1, 1, -1, -1);
        drawRing(painter, rect, toQColor(m_shadowColor), toQColor(m_shadowColor),
                 toQColor(m_shadowColor), toQColor(m_shadowColor));
    }
}

void CClrButton::paintEvent(QPaintEvent* /*event*/) {
    const QRect item = rect();
    if (item.isEmpty()) {
        return;
    }
    const bool disabled = !isEnabled();
    QImage canvas(item.size(), QImage::Format_RGB32);
    {
        QPainter p(&canvas);
        p.setFont(font());
        p.fillRect(item, looks::toQColor(disabled ? m_disabledFaceColor : m_faceColor));

        unsigned frame = kFrameRaised;
        if (isDown()) {
            frame = kFrameSunken;
        } else if (isDefault() || hasFocus()) {
            frame = kFrameOutline | kFrameRaised;
        }
        DrawFrame(p, item, frame);

        const int flags = Qt::AlignCenter | Qt::TextSingleLine;
        if (disabled) {
            // Engraved: white one pixel down and right, grey on top.
            p.setPen(QColor(255, 255, 255));
            p.drawText(item.translated(1, 1), flags, text());
            p.setPen(QColor(0x80, 0x80, 0x80));
            p.drawText(item, flags, text());
        } else {
            p.setPen(looks::toQColor(m_textColor));
            p.drawText(item, flags, text());
        }
    }
    if (hasFocus()) {
        edges::drawFocusRect(canvas, item.adjusted(4, 4, -4, -4));
    }
    QPainter widgetPainter(this);
    widgetPainter.drawImage(0, 0, canvas);
}
