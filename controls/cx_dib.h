#pragma once

// CxDib: the 8-bit palette bitmap the shaded buttons paint their faces into.
//
// Pixels are palette indexes; the 256-entry palette is a colour table, so a
// face can be tinted by blending the palette alone. Rows are counted from the
// top by the pixel accessors; a caller that thinks of rows from the bottom edge
// (as the face formulas do) uses row height - 1 - r. Positions and palette
// indexes outside the bitmap are ignored, never written.
//
// Plain value type; GUI thread only because drawing needs a QPainter.

#include <QImage>

#include <cstdint>

#include "controls/looks.h"

class QPainter;

class CxDib {
  public:
    CxDib() = default;

    // A width x height bitmap of 8 bits per pixel, all pixels 0 and every
    // palette entry black. Frees any previous bitmap. A zero or negative size
    // leaves the bitmap empty and returns false.
    bool Create(int width, int height);

    // Copies the whole image with its top-left corner at (x, y); nothing
    // without a bitmap.
    void Draw(QPainter& painter, int x, int y) const;

    void SetPaletteIndex(int index, int red, int green, int blue);
    void SetPaletteIndex(int index, COLORREF color);
    // 0 for an index outside the palette.
    COLORREF GetPaletteIndex(int index) const;

    // x, y counted from the top-left corner.
    std::uint8_t GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, std::uint8_t index);

    // Every palette entry becomes (entry * (100 - p) + color * p) / 100 per
    // channel; p is capped at 100.
    void BlendPalette(COLORREF color, int percent);
    void SetGrayPalette();
    void Clear(std::uint8_t index = 0);
    // This bitmap becomes a copy of `other` (size, palette and pixels).
    void Clone(const CxDib& other);

    bool IsValid() const { return !m_image.isNull(); }
    int GetWidth() const { return m_image.width(); }
    int GetHeight() const { return m_image.height(); }
    int GetBitCount() const { return IsValid() ? 8 : 0; }

    const QImage& image() const { return m_image; }

  private:
    QImage m_image;
};
