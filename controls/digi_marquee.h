#pragma once

// CDigiMarquee: an LED display that scrolls a text through a window of a
// fixed number of characters, one step per tick of its timer. The front
// panel's status line is one. A text shorter than the window rotates inside
// the window padded with blanks; a longer one runs round with one blank
// between its end and its start. GUI thread only.

#include "controls/digi_static.h"

class QTimer;

class CDigiMarquee : public CDigiStatic {
    Q_OBJECT

  public:
    explicit CDigiMarquee(QWidget* parent = nullptr);
    ~CDigiMarquee() override;

    void SetScrollText(const QString& text);
    // Tick period in milliseconds, at least 50.
    void SetSpeed(int ms);
    // Negative counts are ignored.
    void SetDisplayChars(int count);
    int GetDisplayChars() const { return m_nDisplayChars; }
    void EnableScrolling(bool enable);
    // Rotates by |steps| characters: left when steps > 0, else right.
    void ScrollBy(int steps);

  public slots:
    // One tick: scrolls by one character when scrolling is on.
    void OnTimer();

  private:
    void Refresh();

    bool m_bScrolling = false;
    QString m_strSourceText = QStringLiteral("This is an example scrolling display ");
    QString m_strWorkingText = m_strSourceText;
    int m_nSpeed = 200;
    int m_nDisplayChars = 12;
    QTimer* m_timer = nullptr;
};
