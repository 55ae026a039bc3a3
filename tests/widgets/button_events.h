#pragma once

// Synthesised input for the button and slider tests: mouse and hover events
// sent straight to a widget (the cursor position is not reliable offscreen)
// and pixel sampling of a rendered widget.

#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <string>

namespace button_events {

inline void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                  Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void press(QWidget* w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonPress, pos, b, b);
}
inline void release(QWidget* w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton);
}
// A move with `held` buttons down.
inline void move(QWidget* w, QPoint pos, Qt::MouseButtons held = Qt::NoButton) {
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}
inline void click(QWidget* w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
    press(w, pos, b);
    release(w, pos, b);
}

inline void enter(QWidget* w, QPoint pos = QPoint(1, 1)) {
    QEnterEvent e{QPointF(pos), QPointF(pos), QPointF(w->mapToGlobal(pos))};
    QApplication::sendEvent(w, &e);
}
inline void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

inline void key(QWidget* w, QEvent::Type type, int k, bool autoRepeat = false) {
    QKeyEvent e(type, k, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(w, &e);
}
inline void keyPress(QWidget* w, int k) {
    key(w, QEvent::KeyPress, k);
}
inline void keyRelease(QWidget* w, int k) {
    key(w, QEvent::KeyRelease, k);
}

// The widget as it paints now.
inline QImage render(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline std::string rgbText(QRgb p) {
    return "(" + std::to_string(qRed(p)) + "," + std::to_string(qGreen(p)) + "," +
           std::to_string(qBlue(p)) + ")";
}

}  // namespace button_events
