#include "controls/digi_marquee.h"

#include <QTimer>

#include <cstdlib>

namespace {
constexpr int kMinimumSpeed = 50;
}

CDigiMarquee::CDigiMarquee(QWidget* parent) : CDigiStatic(parent), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &CDigiMarquee::OnTimer);
    m_timer->start(m_nSpeed);
}

CDigiMarquee::~CDigiMarquee() = default;

void CDigiMarquee::SetScrollText(const QString& text) {
    m_strSourceText = m_strWorkingText = text;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(' '))) {
        m_strWorkingText += QLatin1Char(' ');
    }
    Refresh();
}

void CDigiMarquee::SetSpeed(int ms) {
    m_nSpeed = ms < kMinimumSpeed ? kMinimumSpeed : ms;
    m_timer->start(m_nSpeed);
}

void CDigiMarquee::SetDisplayChars(int count) {
    if (count < 0) {
        return;
    }
    m_nDisplayChars = count;
    Refresh();
}

void CDigiMarquee::EnableScrolling(bool enable) {
    m_bScrolling = enable;
}

// Shows the start of the source text. The working text keeps its rotation
// unless the source is shorter than the window; then the padded source
// becomes the working text.
void CDigiMarquee::Refresh() {
    QString shown = m_strSourceText;
    if (shown.size() < m_nDisplayChars) {
        shown = shown.leftJustified(m_nDisplayChars, QLatin1Char(' '));
        m_strWorkingText = shown;
    } else {
        shown.truncate(m_nDisplayChars);
    }
    SetText(shown);
}

void CDigiMarquee::ScrollBy(int steps) {
    // An empty working text (display count 0 and an empty source) has
    // nothing to rotate.
    if (m_strWorkingText.isEmpty()) {
        return;
    }
    for (int i = std::abs(steps); i > 0; --i) {
        if (steps > 0) {
            m_strWorkingText = m_strWorkingText.mid(1) + m_strWorkingText.front();
        } else {
            m_strWorkingText = m_strWorkingText.back() + m_strWorkingText.chopped(1);
        }
        SetText(m_strWorkingText.left(m_nDisplayChars));
    }
}

void CDigiMarquee::OnTimer() {
    if (m_bScrolling) {
        ScrollBy(1);
    }
}
