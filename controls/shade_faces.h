#pragma once

// The faces of a shaded button: one 8-bit bitmap filled with a procedural
// shade pattern over a palette running from the shadow colour through the
// button face to the highlight, tinted towards a chosen colour; a lighter copy
// for hover and checked, a copy for disabled, and the two dotted focus lines.
//
// Pure logic (QImage only); the pattern noise comes from classic_rand::rand(),
// so the same sequence gives the same faces.

#include <cstdint>

#include "controls/cx_dib.h"
#include "controls/looks.h"

struct ShadeParams {
    unsigned type = 0;             // 0..8; anything above 8 is plain noise
    std::uint8_t granularity = 0;  // noise amplitude in palette steps
    std::uint8_t highlight = 0;    // percent the hover face moves to white
    std::uint8_t coloring = 0;     // percent the palette moves to `color`
    COLORREF color = 0;
};

struct ShadeFaces {
    CxDib normal;
    CxDib checked;
    CxDib disabled;
    CxDib hover;
    CxDib focusHorizontal;  // (width - 2 * margin - 1, at least 1) x 1
    CxDib focusVertical;    // 1 x (height - 2 * margin, at least 1)
};

// Builds every face for a client area of width x height. An empty area
// (width or height 0) gets no faces at all: the button then fills with the
// face colour.
ShadeFaces buildShadeFaces(int width, int height, int focusMargin, const ShadeParams& params);

// The palette every face starts from: entries 0..127 shadow to face colour,
// 128..255 face colour to highlight.
void setShadePalette(CxDib& dib);

// Fills the pixels of `dib` (already created) with pattern `type`.
void fillShadePattern(CxDib& dib, unsigned type, int granularity);
