#pragma once

// The front panel's icons, drawn here with QPainter rather than loaded from
// files: the window icon 103 (a small transceiver), and the button icons 131
// (exit), 172 (connect), 176 (tune), the RIT arrows 177 (down, pointing
// left) and 178 (up, pointing right), and the memory-key panel's 174 (send),
// 175 (edit) and 179 (clear).
//
// GUI thread only (pixmaps need the running QGuiApplication).

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace panel_icons {

// The picture of icon `id` at `size`, with `margin` pixels left transparent
// on every side; a null pixmap for an unknown id.
QPixmap draw(int id, QSize size, int margin = 0);

// The width of a shaded button's raised edge, which a picture at the face's
// height leaves free.
inline constexpr int kRaisedEdgeWidth = 2;

// The size a shaded button of `face` pixels shows icon `id` at: the Connect,
// Exit and TUNE pictures square at the face's height (the centre placement
// puts their top on the face's top edge), the RIT arrows at 22 x 16.
QSize buttonIconSize(int id, QSize face);

// Icon `id` as a shaded button of `face` pixels shows it.
QPixmap buttonPicture(int id, QSize face);

// Icon 103 at 16 and 32 pixels, for the window.
QIcon windowIcon();

}  // namespace panel_icons
