#pragma once

// Where the keyboard-CW window and the memory-key panel stand while they
// slide out, sit docked and slide in.
//
// Rectangles are window rectangles as the front panel's move handler writes
// them: right = left + width, bottom = top + height. Where a docked window
// sits (which edge of the panel, and where along it) is the placement rule's
// to say (PlaceFollower); these steps take it from there: the keyboard-CW
// window is at home below the panel and slides down from behind it, the
// memory-key panel at home to its right and slides out to the right, and
// either slides the other way when the rule puts it on the other side. Each
// slide is a list of steps, one per slide delay, 5 pixels apart. No desktop
// lets a window pass behind its parent, so a step shows only the part beyond
// the panel's edge (VisiblePart), the contents shifted inside it.
//
// Plain geometry (QtCore); any thread.

#include <QPoint>
#include <QRect>

#include <vector>

namespace cw {

// A window rectangle; width() and height() are right - left, bottom - top.
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const WinRect&) const = default;
};

WinRect FromQRect(const QRect& rect);
QRect ToQRect(const WinRect& rect);

// The panel's edge a docked window sits at.
enum class DockEdge { Bottom, Top, Right, Left };

// The keyboard-CW window's own size: its width, half the panel's height.
QSize CwDockedSize(const WinRect& parent, int ownWidth);

// The slides of a window docked at `docked` beside `edge` of the panel: out
// from behind the panel to about where it docks, and in from there.
std::vector<WinRect> SlideOutSteps(const WinRect& docked, DockEdge edge);
std::vector<WinRect> SlideInSteps(const WinRect& docked, DockEdge edge);

// The part of `step` beyond `edge` of `parent` (empty when none), and where
// the window's contents sit inside it.
struct VisibleStep {
    WinRect visible;
    QPoint contentOffset;
};
VisibleStep VisiblePart(const WinRect& step, const WinRect& parent, DockEdge edge);

}  // namespace cw
