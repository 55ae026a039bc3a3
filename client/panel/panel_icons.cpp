#include "client/panel/panel_icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "client/panel/front_panel_layout.h"

namespace panel_icons {

namespace {

// Every picture is drawn on a 16 x 16 grid (22 x 16 for the arrows) and
// scaled to the size asked for, inside its transparent margin.

void drawTransceiver(QPainter& p) {
    // Cabinet with a display, a tuning knob and two small keys.
    p.setPen(QPen(QColor(32, 32, 32), 0.8));
    QLinearGradient face(0, 3, 0, 14);
    face.setColorAt(0, QColor(110, 110, 110));
    face.setColorAt(1, QColor(50, 50, 50));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 3.5, 15, 10), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 20));
    p.drawRect(QRectF(2, 5, 7, 3.5));
    p.setBrush(QColor(90, 255, 90));
    p.drawRect(QRectF(2.8, 6, 1.2, 1.5));
    p.drawRect(QRectF(4.6, 6, 1.2, 1.5));
    p.drawRect(QRectF(6.4, 6, 1.2, 1.5));
    p.setBrush(QColor(200, 200, 200));
    p.setPen(QPen(QColor(20, 20, 20), 0.6));
    p.drawEllipse(QPointF(12, 8.5), 2.4, 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 170, 40));
    p.drawRect(QRectF(2, 10, 2.5, 1.8));
    p.drawRect(QRectF(5.5, 10, 2.5, 1.8));
    // Antenna.
    p.setPen(QPen(QColor(40, 40, 40), 0.9));
    p.drawLine(QPointF(13.5, 3.5), QPointF(15, 0.5));
}

void drawExit(QPainter& p) {
    // An open door with an arrow leaving it.
    p.setPen(QPen(QColor(60, 40, 20), 0.8));
    p.setBrush(QColor(150, 100, 50));
    p.drawRect(QRectF(1.5, 1.5, 7, 13));
    QPolygonF door;
    door << QPointF(1.5, 1.5) << QPointF(5.5, 3) << QPointF(5.5, 15.5) << QPointF(1.5, 14.5);
    p.setBrush(QColor(200, 150, 90));
    p.drawPolygon(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 20, 20));
    QPolygonF arrow;
    arrow << QPointF(8, 6.5) << QPointF(11, 6.5) << QPointF(11, 4) << QPointF(15.5, 8)
          << QPointF(11, 12) << QPointF(11, 9.5) << QPointF(8, 9.5);
    p.drawPolygon(arrow);
}

void drawConnect(QPainter& p) {
    // Two computers joined by a network line.
    p.setPen(QPen(QColor(30, 30, 30), 0.7));
    for (const double x : {0.5, 9.5}) {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(x, 1.5, 6, 5));
        p.setBrush(QColor(40, 80, 200));
        p.drawRect(QRectF(x + 1, 2.5, 4, 3));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(x + 1.5, 7, 3, 1.5));
    }
    p.setPen(QPen(QColor(0, 140, 0), 1.4));
    p.drawLine(QPointF(3.5, 9), QPointF(3.5, 13));
    p.drawLine(QPointF(3.5, 13), QPointF(12.5, 13));
    p.drawLine(QPointF(12.5, 13), QPointF(12.5, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 200, 0));
    p.drawEllipse(QPointF(8, 13), 1.8, 1.8);
}

void drawTune(QPainter& p) {
    // An antenna mast sending waves; the outer wave stays inside the grid.
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.drawLine(QPointF(8, 7), QPointF(8, 15.5));
    p.drawLine(QPointF(8, 15.5), QPointF(5, 15.5));
    p.drawLine(QPointF(8, 15.5), QPointF(11, 15.5));
    p.drawLine(QPointF(8, 10), QPointF(5.5, 15));
    p.drawLine(QPointF(8, 10), QPointF(10.5, 15));
    p.setBrush(QColor(220, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 6), 1.6, 1.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 30, 30), 1.0));
    p.drawArc(QRectF(5, 3, 6, 6), 30 * 16, 120 * 16);
    p.drawArc(QRectF(2.7, 0.7, 10.6, 10.6), 35 * 16, 110 * 16);
}

void drawArrow(QPainter& p, bool pointsRight) {
    // A solid arrow across the 22 x 16 grid.
    QPolygonF arrow;
    arrow << QPointF(1.5, 6) << QPointF(11, 6) << QPointF(11, 2) << QPointF(20.5, 8)
          << QPointF(11, 14) << QPointF(11, 10) << QPointF(1.5, 10);
    if (!pointsRight) {
        for (QPointF& point : arrow) {
            point.setX(22.0 - point.x());
        }
    }
    p.setPen(QPen(QColor(0, 60, 0), 0.8));
    p.setBrush(QColor(0, 120, 0));
    p.drawPolygon(arrow);
}

void drawTransmit(QPainter& p) {
    // A red key lamp with "TX" on it.
    p.setPen(QPen(QColor(90, 0, 0), 0.8));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(3.5, 5.5), QPointF(7.5, 5.5));
    p.drawLine(QPointF(5.5, 5.5), QPointF(5.5, 11));
    p.drawLine(QPointF(8.5, 5.5), QPointF(12.5, 11));
    p.drawLine(QPointF(12.5, 5.5), QPointF(8.5, 11));
}

void drawEdit(QPainter& p) {
    // A pencil across the square.
    p.setPen(QPen(QColor(60, 40, 0), 0.8));
    QPolygonF body;
    body << QPointF(11.5, 1.5) << QPointF(14.5, 4.5) << QPointF(5, 14) << QPointF(2, 11);
    p.setBrush(QColor(240, 200, 40));
    p.drawPolygon(body);
    QPolygonF tip;
    tip << QPointF(2, 11) << QPointF(5, 14) << QPointF(1, 15);
    p.setBrush(QColor(60, 60, 60));
    p.drawPolygon(tip);
}

void drawClear(QPainter& p) {
    // A red cross.
    p.setPen(QPen(QColor(200, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(13, 13));
    p.drawLine(QPointF(13, 3), QPointF(3, 13));
}

}  // namespace

namespace {

bool isMemoryKeyPicture(int id) {
    return id == front_panel::IDI_MEMKEY_TX || id == front_panel::IDI_MEMKEY_EDIT ||
           id == front_panel::IDI_MEMKEY_CLEAR;
}

bool isArrow(int id) {
    return id == front_panel::IDI_RIT_DOWN || id == front_panel::IDI_RIT_UP;
}

bool isFacePicture(int id) {
    return id == front_panel::IDI_EXIT || id == front_panel::IDI_CONNECT ||
           id == front_panel::IDI_TUNE;
}

}  // namespace

QSize buttonIconSize(int id, QSize face) {
    if (isArrow(id)) {
        return QSize(22, 16);
    }
    if (isFacePicture(id)) {
        return QSize(face.height(), face.height());
    }
    return QSize(16, 16);
}

QPixmap buttonPicture(int id, QSize face) {
    return draw(id, buttonIconSize(id, face), isFacePicture(id) ? kRaisedEdgeWidth : 0);
}

QPixmap draw(int id, QSize size, int margin) {
    using namespace front_panel;
    const bool arrow = isArrow(id);
    const QSize inner = size - QSize(2 * margin, 2 * margin);
    if ((id != IDR_MAINFRAME && !isFacePicture(id) && !arrow && !isMemoryKeyPicture(id)) ||
        inner.isEmpty()) {
        return {};
    }
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(QRect(QPoint(margin, margin), inner));
    painter.translate(margin, margin);
    const double grid = arrow ? 22.0 : 16.0;
    painter.scale(inner.width() / grid, inner.height() / 16.0);
    switch (id) {
        case IDR_MAINFRAME:
            drawTransceiver(painter);
            break;
        case IDI_EXIT:
            drawExit(painter);
            break;
        case IDI_CONNECT:
            drawConnect(painter);
            break;
        case IDI_TUNE:
            drawTune(painter);
            break;
        case IDI_MEMKEY_TX:
            drawTransmit(painter);
            break;
        case IDI_MEMKEY_EDIT:
            drawEdit(painter);
            break;
        case IDI_MEMKEY_CLEAR:
            drawClear(painter);
            break;
        default:
            drawArrow(painter, id == IDI_RIT_UP);
            break;
    }
    return pixmap;
}

QIcon windowIcon() {
    QIcon icon;
    icon.addPixmap(draw(front_panel::IDR_MAINFRAME, QSize(16, 16)));
    icon.addPixmap(draw(front_panel::IDR_MAINFRAME, QSize(32, 32)));
    return icon;
}

}  // namespace panel_icons
