#pragma once

// Where the front panel opens, and where every window that follows it goes.
//
// The panel opens at the rectangle it was last stored with, or centred. The
// stored rectangle is used only when it is at least as large as the panel's
// client area (a smaller one is a leftover of some other size) and the panel
// placed there would show on one of the screens; a panel that would only reach
// a screen is moved inside it by the least distance. The size never changes.
//
// The followers (memory dialogs, key-switch panel, keyboard-CW window and
// memory-key panel, the CW dialogs, the QSO windows, and the QSO editors under
// the log window) all go through PlaceFollower: each has its own place beside
// its anchor, but wherever that place is not wholly on the screen the window
// goes elsewhere by one rule (see PlaceFollower).
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

// The frame rectangle a stored rectangle stands for.
QRect FrameOf(const StoredWindowRect& stored);

// The top-left corner to move the panel to, or nothing to centre it.
// `clientSize` is the panel's client area, `windowSize` its whole window
// (frame included) and `screens` the available area of every screen.
std::optional<QPoint> StoredPanelPosition(const StoredWindowRect& stored, QSize clientSize,
                                          QSize windowSize, const QList<QRect>& screens);

// The top-left corner that centres a window of `windowSize` on `screen`.
QPoint CentredPosition(QSize windowSize, const QRect& screen);

// Of `areas`, the one that holds most of `frame` (the nearest one when none
// holds any of it); an empty rectangle when there are none.
QRect AreaHolding(const QRect& frame, const QList<QRect>& areas);

// A follower's own place against its anchor (all frame rectangles):
// - Under: at the anchor's left edge, one pixel under it, as wide as the
//   wider of the two (memory dialogs, key-switch panel);
// - UnderOwnSize: the same at its own size (QSO editors under the log window);
// - BelowRight: at (anchor right + 1, anchor bottom + 1), its own size (QSO
//   entry windows, CW dialogs);
// - Right: at (anchor right + 1, anchor top), its own width and the anchor's
//   height (log window);
// - DockedBelow: touching the anchor's bottom edge at its left edge, its own
//   size (keyboard-CW window);
// - DockedRight: touching the anchor's right edge at its top, its own width
//   and the anchor's height (memory-key panel).
// "right + 1" and "bottom + 1" leave a one-pixel gap, as the settings' edges
// are exclusive.
enum class FollowerPlace { Under, UnderOwnSize, BelowRight, Right, DockedBelow, DockedRight };

// What a window does when the anchor is narrower or lower than the window:
// take its place all the same, centre the window on the anchor's screen, or
// leave it where it is.
enum class WhenAnchorSmaller { Place, Centre, Stay };

// The side of the anchor a follower ended on (None when it is on no side,
// e.g. centred or left where it was).
enum class AnchorSide { None, Below, Above, Right, Left };

struct FollowerRequest {
    QRect anchor;  // the panel's frame (the log window's for the editors)
    FollowerPlace place = FollowerPlace::Under;
    WhenAnchorSmaller whenSmaller = WhenAnchorSmaller::Place;
    QSize size;     // the window's frame size
    QRect current;  // where the window is now (for Stay)
    // Frames of the other open followers that are not docked: a follower that
    // is not docked keeps off them where it can.
    QList<QRect> others;
    // Frames of the other docked windows: they move with the anchor and must
    // stay inside the area when the anchor moves.
    QList<QRect> docked;
    QList<QRect> areas;  // the available area of every screen
};

struct FollowerPlacement {
    QRect frame;
    AnchorSide side = AnchorSide::None;
    // Where the anchor's frame is to move (top-left) for a docked window
    // that fits no other way; the frame above is against the moved anchor.
    std::optional<QPoint> anchorMove;
};

// The one rule: the window's frame lies wholly inside the available area that
// holds most of the anchor (only a window larger than that area cannot). Its
// own place is taken when it fits there (and, for a follower that is not
// docked, keeps off the other followers). Otherwise the window moves along
// that edge of the anchor until it fits; else it goes on the other side
// (above instead of under, left instead of right) and along that edge; a
// docked window else moves the anchor by the least distance that brings the
// anchor, the window and the other docked windows inside the area. Only
// where even that cannot fit does the window go inside the area where it
// overlaps the anchor least, ties broken by the least move from its own
// place. A follower that is not docked first looks for a place off the other
// followers, then for one that may cover them.
FollowerPlacement PlaceFollower(const FollowerRequest& request);
