#include "controls/turbo_slider_ctrl.h"

#include <QContextMenuEvent>
#include <QMetaObject>
#include <QMouseEvent>

#include "controls/control_trace.h"

CTurboSliderCtrl::CTurboSliderCtrl(Qt::Orientation orientation, QWidget* parent)
    : TrackbarSlider(orientation, parent) {}

CTurboSliderCtrl::CTurboSliderCtrl(QWidget* parent) : TrackbarSlider(parent) {}

void CTurboSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        TrackbarSlider::mousePressEvent(event);
        return;
    }
    qCDebug(lcControlTrace, "Getting Right Mouse Button Down");
    if (RemoteCmdReceiver* receiver = m_notifyWindow) {
        // Queued on this control: dropped if the slider goes away first.
        QMetaObject::invokeMethod(
            this, [receiver] { receiver->executeRemoteCmd(kToggleTurboCmd, 0); },
            Qt::QueuedConnection);
    }
    event->accept();
}

void CTurboSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    TrackbarSlider::mouseReleaseEvent(event);
}

void CTurboSliderCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // The right click was the turbo toggle; no menu of the parent's.
    event->accept();
}
