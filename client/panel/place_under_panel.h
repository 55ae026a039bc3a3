#pragma once

// Places the windows that follow the front panel (memory dialogs, key-switch
// panel, keyboard-CW windows and dialogs, QSO windows) by PlaceFollower's
// rule, against the panel's stored rectangle ("Window Size") or, for docked
// windows and the QSO editors, against a window's real frame, on the screens
// there are now. Every window placed here is remembered (weakly) as a
// follower, so that the next one keeps off those still shown.
//
// GUI thread only.

#include "client/panel/panel_placement.h"

class QWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

// The available area of every screen.
QList<QRect> AvailableAreas();

// Remembers `window` as a follower; PlaceWindowBesidePanel does so itself.
void RegisterFollower(QWidget& window);

// The frames of the shown followers but `except`, split into the docked ones
// and the others.
struct FollowerFrames {
    QList<QRect> docked;
    QList<QRect> others;
};
FollowerFrames ShownFollowerFrames(const QWidget* except);

// The request for `window` against the panel's stored rectangle: its frame,
// the screens and the other shown followers filled in.
FollowerRequest RequestBesidePanel(QWidget& window, pelorin::CRegistryStore& store,
                                   FollowerPlace place, WhenAnchorSmaller whenSmaller);

// Moves `window` so that its frame is `frame`; a size change keeps the
// frame's own margins (a window of fixed size keeps a fixed size). A window
// never moved is moved even where it stands, so that Qt does not place it.
void ApplyFollowerFrame(QWidget& window, const QRect& frame);

// Places `window` against the panel's stored rectangle.
void PlaceWindowBesidePanel(QWidget& window, pelorin::CRegistryStore& store, FollowerPlace place,
                            WhenAnchorSmaller whenSmaller);

// Places `window` under `anchor`'s frame at its own size (the QSO editors
// under the log window).
void PlaceWindowUnder(QWidget& window, const QWidget& anchor);

// Places a window docked to `panel` (the keyboard-CW window, the memory-key
// panel) at `size`, against the panel's real frame, the other docked windows
// going along with the panel. Where the rule moves the panel, the panel is
// moved first (its move handler stores the move and takes the other
// followers along, as after a drag) and the frame returned is against where
// the panel then is. Nothing of `window` is moved here.
FollowerPlacement PlaceDockedWindow(QWidget& window, QWidget& panel, FollowerPlace place,
                                    QSize size);
