#pragma once

// Places a window that follows the front panel (memory dialogs, key-switch
// panel, keyboard-CW and QSO windows) under or beside the panel's stored
// rectangle ("Window Size"), by PlaceUnderPanel's or PlaceBesidePanel's rules,
// on the screens there are now. GUI thread only.

#include "client/panel/panel_placement.h"

class QWidget;
namespace pelorin {
class CRegistryStore;
}  // namespace pelorin

// `panel` (may be null) picks the screen a centred window goes to; the
// primary screen without it.
void PlaceWindowUnderPanel(QWidget& window, pelorin::CRegistryStore& store, const QWidget* panel,
                           WhenPanelSmaller whenSmaller);

// Moves (and for BesidePanel::Right resizes) `window` to PlaceBesidePanel's
// frame rectangle; `panel` as above.
void PlaceWindowBesidePanel(QWidget& window, pelorin::CRegistryStore& store, const QWidget* panel,
                            BesidePanel where);
