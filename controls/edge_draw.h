#pragma once

// Line helpers for the owner-drawn buttons: raised and sunken 3-D edges, the
// thin 3-D rectangle, the push-button frame and the dotted focus rectangle,
// drawn in the fixed system colours whatever the Qt style says.
//
// Rectangles follow the drawing convention of the dialogs: `rect` covers
// rect.left() .. rect.left() + width - 1, so a ring drawn on it lies on its
// outermost pixels. The top and left lines stop one pixel short of the far
// corner; the bottom and right lines run the full length and own the
// top-right and bottom-left corner pixels.
//
// GUI thread (QPainter on a widget or image).

#include <QColor>
#include <QRect>

class QImage;
class QPainter;

namespace edges {

// Edge parts, combined by OR.
inline constexpr unsigned kRaisedOuter = 0x1;
inline constexpr unsigned kSunkenOuter = 0x2;
inline constexpr unsigned kRaisedInner = 0x4;
inline constexpr unsigned kSunkenInner = 0x8;
inline constexpr unsigned kEdgeRaised = kRaisedOuter | kRaisedInner;
inline constexpr unsigned kEdgeSunken = kSunkenOuter | kSunkenInner;

// One 1-pixel ring with the top and left lines in `topLeft` and the bottom
// and right lines in `bottomRight`.
void draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight);

// The outer ring on `rect`, then the inner ring one pixel inside. Returns the
// rectangle left inside the edge.
QRect drawEdge(QPainter& painter, const QRect& rect, unsigned edge);

// A push-button frame: the face filled with the button-face colour and a
// 2-pixel raised edge, or a sunken one when pushed.
void drawPushFrame(QPainter& painter, const QRect& rect, bool pushed);

// Width of the push frame's edge on each side.
inline constexpr int kEdgeWidth = 2;

// The dotted focus rectangle: every other pixel along the border of `rect`
// inverted, so it shows on any face and a second call removes it.
void drawFocusRect(QImage& image, const QRect& rect);

}  // namespace edges
