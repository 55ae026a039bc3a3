#pragma once

// Where the front panel opens: at the rectangle it was last stored with, or
// centred.
//
// The stored rectangle is used only when it is at least as large as the
// panel's client area (a smaller one is a leftover of some other size) and the
// panel placed there would show on one of the screens; otherwise the panel is
// centred. The size never changes: only the top-left corner is taken.
//
// Plain geometry (QtCore); any thread.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// A stored window rectangle, edges as the settings keep them (right and
// bottom exclusive).
struct StoredWindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The top-left corner to move the panel to, or nothing to centre it.
// `clientSize` is the panel's client area, `windowSize` its whole window
// (frame included) and `screens` the available area of every screen.
std::optional<QPoint> StoredPanelPosition(const StoredWindowRect& stored, QSize clientSize,
                                          QSize windowSize, const QList<QRect>& screens);

// The top-left corner that centres a window of `windowSize` on `screen`.
QPoint CentredPosition(QSize windowSize, const QRect& screen);

// What a window that opens under the panel does when the panel's stored
// rectangle is smaller than the window: the memory dialogs centre themselves,
// the key-switch panel stays where it is.
enum class WhenPanelSmaller { Centre, Stay };

// Where a window that follows the panel goes (frame rectangle): one pixel
// under the panel's stored rectangle, at its left edge, as wide as the wider
// of the two, its own height. A stored rectangle narrower or lower than the
// window gives the centre of `panelScreen` (or `current` with Stay). A place
// that would not lie wholly inside one of the `screens` (available areas) is
// never taken: such a window is centred on `panelScreen` at its own size, so
// no window, modal or not, opens out of sight.
QRect PlaceUnderPanel(const StoredWindowRect& stored, const QRect& current,
                      const QRect& panelScreen, const QList<QRect>& screens,
                      WhenPanelSmaller whenSmaller);

// Where the QSO windows go beside the panel's stored rectangle: an entry
// window at (right + 1, bottom + 1) at its own size; the log window at
// (right + 1, top), its own width and the panel's height.
enum class BesidePanel { BelowRight, Right };

// The frame rectangle for a window that follows the panel (`current` is where
// it is now). A stored rectangle narrower or lower than the window leaves it
// where it is. A place that would not lie wholly inside one of the `screens`
// (available areas) is never taken: the window is centred on `panelScreen`.
QRect PlaceBesidePanel(const StoredWindowRect& stored, const QRect& current, BesidePanel where,
                       const QRect& panelScreen, const QList<QRect>& screens);

// The frame rectangle for a window opened from `anchor` (a frame rectangle):
// at the anchor's left edge, one pixel below its bottom edge, at its own size;
// centred on `anchorScreen` when that place is not wholly on a screen.
QRect PlaceBelowWindow(const QRect& anchor, QSize size, const QRect& anchorScreen,
                       const QList<QRect>& screens);
