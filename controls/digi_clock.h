#pragma once

// CDigiClock: an LED display of the local time, updated every second, that
// can blink and beep as an alarm. No dialog creates one today; it stays a
// ready-made display. The time comes from an injectable source (tests set a
// fixed time) and the beep goes through looks::beep(). GUI thread only.

#include "controls/digi_static.h"

#include <QTime>

#include <functional>

class QTimer;

class CDigiClock : public CDigiStatic {
    Q_OBJECT

  public:
    using TimeSource = std::function<QTime()>;

    explicit CDigiClock(QWidget* parent = nullptr);
    ~CDigiClock() override;

    // Returns the previous setting. With the alarm on, every tick beeps and
    // odd ticks show "  :  :  " instead of the time.
    bool SetAlarm(bool on);
    // An empty source restores the local time.
    void SetTimeSource(TimeSource source);

  public slots:
    // One tick of the 1-second timer.
    void OnTimer();

  private:
    bool m_bAlarm = false;
    int m_nCount = 0;
    QTimer* m_timer = nullptr;
    TimeSource m_timeSource;
};
