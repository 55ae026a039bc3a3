#pragma once

// SlideRunner: walks a window through the steps of a slide, one step per
// timer tick, then runs what the slide ends with. The keyboard-CW window and
// the memory-key panel each own one and give it their step function, which
// shows the step by ShowSlideStep; below it, the rules both windows dock by.
//
// GUI thread only (its timer fires there).

#include <QTimer>

#include <cstddef>
#include <functional>
#include <vector>

class QWidget;

#include "client/cw/dock_geometry.h"
#include "client/panel/panel_placement.h"

class SlideRunner {
  public:
    // `apply` shows one step; with `jumpToEnd`, a slide finished before its
    // last step shows that step first.
    SlideRunner(std::function<void(const cw::WinRect&)> apply, bool jumpToEnd);

    void setDelay(int milliseconds) { m_delay = milliseconds; }
    // Starts `steps`, one per delay; `done` runs after the last. A slide
    // still under way is finished first.
    void run(std::vector<cw::WinRect> steps, std::function<void()> done);
    // Stops the slide under way, if any, and runs its `done`.
    void finish();
    void stop() { m_timer.stop(); }
    bool active() const { return m_timer.isActive(); }

  private:
    std::function<void(const cw::WinRect&)> m_apply;
    bool m_jumpToEnd;
    int m_delay = 12;
    QTimer m_timer;
    std::vector<cw::WinRect> m_steps;
    std::size_t m_index = 0;
    std::function<void()> m_done;
};

// The side of the panel a docked window is set to (SetDockSide): the
// keyboard-CW window's below, the memory-key panel's to the right.
constexpr int kDockRight = 1;
constexpr int kDockBelow = 3;

// The placement and home edge of a dock side: to the right for kDockRight,
// below for kDockBelow (and any other side).
struct DockRule {
    FollowerPlace place;
    cw::DockEdge home;
};
DockRule DockRuleOf(int side);

// The panel's edge a docked window ended at; `home` when the placement put it
// on no side (overlapping the panel on a screen too small for both).
cw::DockEdge DockEdgeOf(AnchorSide side, cw::DockEdge home);

// One step of a slide beside `edge` of `panel`: `window` shows only the part
// of `step` beyond that edge, hidden while there is none, and its contents
// `body` (at the step's size) move inside it.
void ShowSlideStep(QWidget& window, QWidget& body, const cw::WinRect& step,
                   const cw::WinRect& panel, cw::DockEdge edge);

// `window` docked at `docked`, its contents `body` filling it.
void ShowDocked(QWidget& window, QWidget& body, const cw::WinRect& docked);
