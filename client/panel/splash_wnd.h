#pragma once

// CSplashWnd: the picture Pelorin shows from half a second after start-up
// until the server first calls back, so the operator sees that the program
// is waiting. A frameless window of the GUI thread (no thread of its own),
// centred on the primary screen, raised without taking the focus; a drag
// with the left button moves it. Closing is refused until Hide allows it.
//
// splash::Start shows it (once per run), splash::Hide closes and deletes it
// and forgets it; a second Hide, or one without a splash, does nothing. The
// splash also goes by itself once `bound` has passed, so a server that never
// calls back does not leave it up.
//
// GUI thread only.

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <chrono>

class CSplashWnd : public QWidget {
    Q_OBJECT

  public:
    explicit CSplashWnd(const QPixmap& picture);

    void SetOKToClose() { m_bOKToClose = true; }
    const QPixmap& picture() const { return m_picture; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap m_picture;
    bool m_bOKToClose = false;
    bool m_dragging = false;
    QPoint m_grab;
};

namespace splash {

inline constexpr std::chrono::milliseconds kDefaultBound{15000};

// Shows the splash unless one is up; it hides itself after `bound`.
void Start(std::chrono::milliseconds bound = kDefaultBound);
// Closes and deletes the splash, if one is up.
void Hide();
// The splash now, or null.
CSplashWnd* Current();

}  // namespace splash
