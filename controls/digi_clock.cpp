#include "controls/digi_clock.h"

#include <QTimer>

#include <utility>

CDigiClock::CDigiClock(QWidget* parent) : CDigiStatic(parent), m_timer(new QTimer(this)) {
    m_strText = QStringLiteral("--:--:--");
    connect(m_timer, &QTimer::timeout, this, &CDigiClock::OnTimer);
    m_timer->start(1000);
}

CDigiClock::~CDigiClock() = default;

bool CDigiClock::SetAlarm(bool on) {
    const bool previous = m_bAlarm;
    m_bAlarm = on;
    return previous;
}

void CDigiClock::SetTimeSource(TimeSource source) {
    m_timeSource = std::move(source);
}

void CDigiClock::OnTimer() {
    ++m_nCount;
    const QTime now = m_timeSource ? m_timeSource() : QTime::currentTime();
    if (m_bAlarm && (m_nCount & 1) != 0) {
        m_strText = QStringLiteral("  :  :  ");
    } else {
        m_strText = QString::asprintf("%02d:%02d:%02d", now.hour(), now.minute(), now.second());
    }
    if (m_bAlarm) {
        looks::beep();
    }
    m_bModified = true;
    Redraw();
}
