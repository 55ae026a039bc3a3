#pragma once

// The front panel's icons, drawn here with QPainter rather than loaded from
// files: the window icon 103 (a small transceiver), and the button icons 131
// (exit), 172 (connect), 176 (tune) and the RIT arrows 177 (down, pointing
// left) and 178 (up, pointing right).
//
// GUI thread only (pixmaps need the running QGuiApplication).

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace panel_icons {

// The picture of icon `id` at `size`; a null pixmap for an unknown id.
QPixmap draw(int id, QSize size);

// The size a button shows icon `id` at: 16 x 16, the RIT arrows 22 x 16.
QSize buttonIconSize(int id);

// Icon 103 at 16 and 32 pixels, for the window.
QIcon windowIcon();

}  // namespace panel_icons
