#pragma once

// SlideRunner: walks a window through the steps of a slide, one step per
// timer tick, then runs what the slide ends with. The keyboard-CW window and
// the memory-key panel each own one and give it their step function.
//
// GUI thread only (its timer fires there).

#include <QTimer>

#include <cstddef>
#include <functional>
#include <vector>

#include "client/cw/dock_geometry.h"
#include "client/panel/panel_placement.h"

class SlideRunner {
  public:
    // `apply` shows one step; with `jumpToEnd`, a slide finished before its
    // last step shows that step first.
    SlideRunner(std::function<void(const cw::WinRect&)> apply, bool jumpToEnd);

    void setDelay(int milliseconds) { m_delay = milliseconds; }
    // Starts `steps`, one per delay; `done` runs after the last. A slide
    // still under way is to be finished first.
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

// The panel's edge a docked window ended at; `home` when the placement put it
// on no side (overlapping the panel on a screen too small for both).
cw::DockEdge DockEdgeOf(AnchorSide side, cw::DockEdge home);
