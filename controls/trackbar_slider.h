#pragma once

// TrackbarSlider: a QSlider that reports what the operator does as trackbar
// notification codes with the new position, the way the dialogs' scroll
// handlers expect them. Each key press, channel click and drag ends with
// TB_ENDTRACK on the key or mouse release, and the dialogs send their
// commands only then.
//
// Keys: Left/Up lower the position by one and report TB_LINEUP, Right/Down
// raise it and report TB_LINEDOWN, PageUp/PageDown move by the page step
// (one fifth of the range, at least 1), Home/End go to the ends (TB_TOP,
// TB_BOTTOM). A click in the channel on the minimum's side of the thumb pages
// towards the minimum (TB_PAGEUP), on the other side towards the maximum
// (TB_PAGEDOWN). Dragging the thumb reports TB_THUMBTRACK per move and
// TB_THUMBPOSITION at the release. The wheel does nothing.
//
// A vertical instance has its minimum at the top.
//
// GUI thread only.

#include <QSlider>

#include <optional>

class TrackbarSlider : public QSlider {
    Q_OBJECT

  public:
    enum Code {
        TB_LINEUP = 0,
        TB_LINEDOWN = 1,
        TB_PAGEUP = 2,
        TB_PAGEDOWN = 3,
        TB_THUMBPOSITION = 4,
        TB_THUMBTRACK = 5,
        TB_TOP = 6,
        TB_BOTTOM = 7,
        TB_ENDTRACK = 8,
    };

    explicit TrackbarSlider(Qt::Orientation orientation, QWidget* parent = nullptr);
    explicit TrackbarSlider(QWidget* parent = nullptr);

    // What a key does at `position` in [minimum, maximum]: the code and the
    // new position; nothing for a key the trackbar does not handle.
    struct Step {
        Code code;
        int position;
    };
    static std::optional<Step> keyStep(int key, int position, int minimum, int maximum,
                                       int pageStep);
    // The page step of a range: one fifth of it, at least 1.
    static int pageStepFor(int minimum, int maximum);

  signals:
    // One notification: `code` with the position after the action.
    void trackbarNotify(int code, int position);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void sliderChange(SliderChange change) override;

  private:
    QRect handleRect() const;
    bool onMinimumSide(const QPoint& pos, const QRect& handle) const;
    int valueAtPixel(int pixel) const;
    void notify(Code code);

    bool m_keyActive = false;
    bool m_channelActive = false;
    bool m_dragging = false;
    int m_dragOffset = 0;
    // Wheel angle not yet turned into a step.
    int m_wheelAngle = 0;
};
