#pragma once

// CTurboSliderCtrl: the front panel's VFO tuning slider. A right click sends
// command 20 (WM_EXECUTE_REMOTE_CMD) to the notify window, which switches
// turbo tuning on or off; left-button dragging and the keys keep their
// trackbar meaning. The right press is taken here and never reaches the
// parent, whose own right-click menu would otherwise open as well.
//
// GUI thread only. The command is queued, so the receiver runs it after the
// mouse event has been handled.

#include <QPointer>

#include "controls/remote_cmd_receiver.h"
#include "controls/trackbar_slider.h"

class CTurboSliderCtrl : public TrackbarSlider {
    Q_OBJECT

  public:
    // The command a right click sends.
    static constexpr int kToggleTurboCmd = 20;

    explicit CTurboSliderCtrl(Qt::Orientation orientation, QWidget* parent = nullptr);
    explicit CTurboSliderCtrl(QWidget* parent = nullptr);

    // Not owned; null sends nothing.
    void SetNotifyWindow(RemoteCmdReceiver* window) { m_notifyWindow = window; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    RemoteCmdReceiver* m_notifyWindow = nullptr;
};
