#include "controls/edge_draw.h"

#include <QImage>
#include <QPainter>

#include "controls/looks.h"

namespace edges {

void draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
    const int x = rect.x();
    const int y = rect.y();
    const int cx = rect.width();
    const int cy = rect.height();
    if (cx <= 0 || cy <= 0) {
        return;
    }
    painter.fillRect(QRect(x, y, cx - 1, 1), topLeft);
    painter.fillRect(QRect(x, y, 1, cy - 1), topLeft);
    painter.fillRect(QRect(x + cx - 1, y, 1, cy), bottomRight);
    painter.fillRect(QRect(x, y + cy - 1, cx, 1), bottomRight);
}

QRect drawEdge(QPainter& painter, const QRect& rect, unsigned edge) {
    using looks::SysColor;
    using looks::sysColor;
    QRect r = rect;
    if (edge & (kRaisedOuter | kSunkenOuter)) {
        if (edge & kRaisedOuter) {
            draw3dRect(painter, r, sysColor(SysColor::Light3D), sysColor(SysColor::DkShadow3D));
        } else {
            draw3dRect(painter, r, sysColor(SysColor::BtnShadow), sysColor(SysColor::BtnHighlight));
        }
        r.adjust(1, 1, -1, -1);
    }
    if (edge & (kRaisedInner | kSunkenInner)) {
        if (edge & kRaisedInner) {
            draw3dRect(painter, r, sysColor(SysColor::BtnHighlight), sysColor(SysColor::BtnShadow));
        } else {
            draw3dRect(painter, r, sysColor(SysColor::DkShadow3D), sysColor(SysColor::Light3D));
        }
        r.adjust(1, 1, -1, -1);
    }
    return r;
}

void drawPushFrame(QPainter& painter, const QRect& rect, bool pushed) {
    painter.fillRect(rect, looks::sysColor(looks::SysColor::BtnFace));
    drawEdge(painter, rect, pushed ? kEdgeSunken : kEdgeRaised);
}

void drawFocusRect(QImage& image, const QRect& rect) {
    const QRect r = rect.intersected(image.rect());
    if (rect.width() <= 0 || rect.height() <= 0 || r.isEmpty()) {
        return;
    }
    auto invert = [&](int x, int y) {
        if (image.rect().contains(x, y)) {
            const QRgb p = image.pixel(x, y);
            image.setPixel(x, y, qRgb(255 - qRed(p), 255 - qGreen(p), 255 - qBlue(p)));
        }
    };
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width() - 1;
    const int bottom = rect.top() + rect.height() - 1;
    for (int x = left; x <= right; x += 2) {
        invert(x, top);
        if (bottom != top) {
            invert(x, bottom);
        }
    }
    for (int y = top + 2; y < bottom; y += 2) {
        invert(left, y);
        if (right != left) {
            invert(right, y);
        }
    }
}

}  // namespace edges
