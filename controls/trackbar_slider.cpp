#include "controls/trackbar_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>

TrackbarSlider::TrackbarSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    setSingleStep(1);
    setPageStep(pageStepFor(minimum(), maximum()));
    // A vertical slider's positions grow downwards: the minimum is at the top.
    setInvertedAppearance(orientation == Qt::Vertical);
}

TrackbarSlider::TrackbarSlider(QWidget* parent) : TrackbarSlider(Qt::Horizontal, parent) {}

int TrackbarSlider::pageStepFor(int minimum, int maximum) {
    return std::max(1, (maximum - minimum) / 5);
}

std::optional<TrackbarSlider::Step> TrackbarSlider::keyStep(int key, int position, int minimum,
                                                            int maximum, int pageStep) {
    auto clamp = [&](long long v) {
        return static_cast<int>(std::clamp<long long>(v, minimum, maximum));
    };
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            return Step{TB_LINEUP, clamp(static_cast<long long>(position) - 1)};
        case Qt::Key_Right:
        case Qt::Key_Down:
            return Step{TB_LINEDOWN, clamp(static_cast<long long>(position) + 1)};
        case Qt::Key_PageUp:
            return Step{TB_PAGEUP, clamp(static_cast<long long>(position) - pageStep)};
        case Qt::Key_PageDown:
            return Step{TB_PAGEDOWN, clamp(static_cast<long long>(position) + pageStep)};
        case Qt::Key_Home:
            return Step{TB_TOP, minimum};
        case Qt::Key_End:
            return Step{TB_BOTTOM, maximum};
        default:
            return std::nullopt;
    }
}

void TrackbarSlider::sliderChange(SliderChange change) {
    if (change == SliderRangeChange) {
        setPageStep(pageStepFor(minimum(), maximum()));
    }
    QSlider::sliderChange(change);
}

void TrackbarSlider::notify(Code code) {
    emit trackbarNotify(code, value());
}

void TrackbarSlider::keyPressEvent(QKeyEvent* event) {
    const auto step = keyStep(event->key(), value(), minimum(), maximum(), pageStep());
    if (!step) {
        QSlider::keyPressEvent(event);
        return;
    }
    setValue(step->position);
    m_keyActive = true;
    notify(step->code);
    event->accept();
}

void TrackbarSlider::keyReleaseEvent(QKeyEvent* event) {
    if (!keyStep(event->key(), 0, 0, 0, 1)) {
        QSlider::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !m_keyActive) {
        return;
    }
    m_keyActive = false;
    notify(TB_ENDTRACK);
}

QRect TrackbarSlider::handleRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

bool TrackbarSlider::onMinimumSide(const QPoint& pos, const QRect& handle) const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    // upsideDown: the minimum sits at the right (horizontal) or bottom (vertical).
    if (orientation() == Qt::Horizontal) {
        return opt.upsideDown ? pos.x() > handle.right() : pos.x() < handle.left();
    }
    return opt.upsideDown ? pos.y() > handle.bottom() : pos.y() < handle.top();
}

int TrackbarSlider::valueAtPixel(int pixel) const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    int sliderMin = 0;
    int sliderMax = 0;
    if (orientation() == Qt::Horizontal) {
        sliderMin = groove.x();
        sliderMax = groove.right() - handle.width() + 1;
    } else {
        sliderMin = groove.y();
        sliderMax = groove.bottom() - handle.height() + 1;
    }
    return QStyle::sliderValueFromPosition(minimum(), maximum(), pixel - sliderMin,
                                           sliderMax - sliderMin, opt.upsideDown);
}

void TrackbarSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    event->accept();
    if (focusPolicy() & Qt::ClickFocus) {
        setFocus(Qt::MouseFocusReason);
    }
    const QPoint pos = event->position().toPoint();
    const QRect handle = handleRect();
    if (handle.contains(pos)) {
        m_dragging = true;
        m_dragOffset =
            orientation() == Qt::Horizontal ? pos.x() - handle.x() : pos.y() - handle.y();
        setSliderDown(true);
        return;
    }
    m_channelActive = true;
    if (onMinimumSide(pos, handle)) {
        setValue(std::max(minimum(), value() - pageStep()));
        notify(TB_PAGEUP);
    } else {
        setValue(std::min(maximum(), value() + pageStep()));
        notify(TB_PAGEDOWN);
    }
}

void TrackbarSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint pos = event->position().toPoint();
    const int pixel = (orientation() == Qt::Horizontal ? pos.x() : pos.y()) - m_dragOffset;
    setValue(valueAtPixel(pixel));
    notify(TB_THUMBTRACK);
}

void TrackbarSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !(m_dragging || m_channelActive)) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (m_dragging) {
        m_dragging = false;
        setSliderDown(false);
        notify(TB_THUMBPOSITION);
    }
    m_channelActive = false;
    notify(TB_ENDTRACK);
}

void TrackbarSlider::wheelEvent(QWheelEvent* event) {
    constexpr int kNotch = 120;
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    event->accept();
    m_wheelAngle += delta;
    while (m_wheelAngle >= kNotch || m_wheelAngle <= -kNotch) {
        const bool away = m_wheelAngle > 0;
        m_wheelAngle += away ? -kNotch : kNotch;
        const auto step =
            keyStep(away ? Qt::Key_Up : Qt::Key_Down, value(), minimum(), maximum(), pageStep());
        setValue(step->position);
        notify(step->code);
        notify(TB_ENDTRACK);
    }
}
