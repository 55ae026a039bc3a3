#pragma once

// Where the keyboard-CW window and the memory-key panel stand while they
// slide out, sit docked and slide in.
//
// Rectangles are window rectangles as the front panel's move handler writes
// them: right = left + width, bottom = top + height. The keyboard-CW window
// docks below the panel at half the panel's height and slides down from
// behind it; the memory-key panel docks to the panel's right at its full
// height and slides out to the right. Each slide is a list of steps, one per
// slide delay, 5 pixels apart. No desktop lets a window pass behind its
// parent, so a step shows only the part outside the panel (VisiblePart), the
// contents shifted inside it.
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

// Below the panel: its height is half the panel's.
WinRect CwDockedRect(const WinRect& parent, int ownWidth);
std::vector<WinRect> CwSlideOutSteps(const WinRect& parent, int ownWidth);
std::vector<WinRect> CwSlideInSteps(const WinRect& parent, int ownWidth);

// Right of the panel, at its height.
WinRect MemoryKeysDockedRect(const WinRect& owner, int ownWidth);
std::vector<WinRect> MemoryKeysSlideOutSteps(const WinRect& owner, int ownWidth);
std::vector<WinRect> MemoryKeysSlideInSteps(const WinRect& owner, int ownWidth);

// The part of `step` outside `parent` (empty when none), and where the
// window's contents sit inside it.
struct VisibleStep {
    WinRect visible;
    QPoint contentOffset;
};
VisibleStep VisiblePart(const WinRect& step, const WinRect& parent);

}  // namespace cw
