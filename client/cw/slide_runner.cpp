#include "client/cw/slide_runner.h"

#include <QWidget>

#include <utility>

SlideRunner::SlideRunner(std::function<void(const cw::WinRect&)> apply, bool jumpToEnd)
    : m_apply(std::move(apply)), m_jumpToEnd(jumpToEnd) {
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        if (m_index < m_steps.size()) {
            m_apply(m_steps[m_index++]);
        }
        if (m_index >= m_steps.size()) {
            finish();
        }
    });
}

void SlideRunner::run(std::vector<cw::WinRect> steps, std::function<void()> done) {
    finish();
    m_steps = std::move(steps);
    m_index = 0;
    m_done = std::move(done);
    m_timer.start(m_delay);
}

void SlideRunner::finish() {
    m_timer.stop();
    if (m_jumpToEnd && !m_steps.empty() && m_index < m_steps.size()) {
        m_apply(m_steps.back());
    }
    m_steps.clear();
    m_index = 0;
    std::function<void()> done = std::move(m_done);
    m_done = nullptr;
    if (done) {
        done();
    }
}

DockRule DockRuleOf(int side) {
    if (side == kDockRight) {
        return {FollowerPlace::DockedRight, cw::DockEdge::Right};
    }
    return {FollowerPlace::DockedBelow, cw::DockEdge::Bottom};
}

cw::DockEdge DockEdgeOf(AnchorSide side, cw::DockEdge home) {
    switch (side) {
        case AnchorSide::Below:
            return cw::DockEdge::Bottom;
        case AnchorSide::Above:
            return cw::DockEdge::Top;
        case AnchorSide::Right:
            return cw::DockEdge::Right;
        case AnchorSide::Left:
            return cw::DockEdge::Left;
        case AnchorSide::None:
            break;
    }
    return home;
}

void ShowSlideStep(QWidget& window, QWidget& body, const cw::WinRect& step,
                   const cw::WinRect& panel, cw::DockEdge edge) {
    const cw::VisibleStep visible = cw::VisiblePart(step, panel, edge);
    body.setGeometry(visible.contentOffset.x(), visible.contentOffset.y(), step.width(),
                     step.height());
    if (visible.visible.width() <= 0 || visible.visible.height() <= 0) {
        window.hide();
        return;
    }
    window.setGeometry(cw::ToQRect(visible.visible));
    if (!window.isVisible()) {
        window.show();
    }
}

void ShowDocked(QWidget& window, QWidget& body, const cw::WinRect& docked) {
    body.setGeometry(0, 0, docked.width(), docked.height());
    window.setGeometry(cw::ToQRect(docked));
    if (!window.isVisible()) {
        window.show();
    }
}
