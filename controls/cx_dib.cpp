#include "controls/cx_dib.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int kPaletteSize = 256;
}

bool CxDib::Create(int width, int height) {
    m_image = QImage();
    if (width <= 0 || height <= 0) {
        return false;
    }
    m_image = QImage(width, height, QImage::Format_Indexed8);
    if (m_image.isNull()) {
        return false;
    }
    m_image.setColorCount(kPaletteSize);
    for (int i = 0; i < kPaletteSize; ++i) {
        m_image.setColor(i, qRgb(0, 0, 0));
    }
    m_image.fill(0);
    return true;
}

void CxDib::Draw(QPainter& painter, int x, int y) const {
    if (IsValid()) {
        painter.drawImage(x, y, m_image);
    }
}

void CxDib::SetPaletteIndex(int index, int red, int green, int blue) {
    if (!IsValid() || index < 0 || index >= kPaletteSize) {
        return;
    }
    m_image.setColor(index, qRgb(red & 0xFF, green & 0xFF, blue & 0xFF));
}

void CxDib::SetPaletteIndex(int index, COLORREF color) {
    SetPaletteIndex(index, looks::redOf(color), looks::greenOf(color), looks::blueOf(color));
}

COLORREF CxDib::GetPaletteIndex(int index) const {
    if (!IsValid() || index < 0 || index >= kPaletteSize) {
        return 0;
    }
    const QRgb c = m_image.color(index);
    return looks::rgb(qRed(c), qGreen(c), qBlue(c));
}

std::uint8_t CxDib::GetPixelIndex(int x, int y) const {
    if (!IsValid() || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) {
        return 0;
    }
    return m_image.constScanLine(y)[x];
}

void CxDib::SetPixelIndex(int x, int y, std::uint8_t index) {
    // QImage::setPixel only warns about a position outside the image; the
    // bounds check here is what keeps stray strokes off the heap.
    if (!IsValid() || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) {
        return;
    }
    m_image.scanLine(y)[x] = index;
}

void CxDib::BlendPalette(COLORREF color, int percent) {
    if (!IsValid()) {
        return;
    }
    const int p = std::clamp(percent, 0, 100);
    const int r = looks::redOf(color);
    const int g = looks::greenOf(color);
    const int b = looks::blueOf(color);
    for (int i = 0; i < kPaletteSize; ++i) {
        const QRgb e = m_image.color(i);
        m_image.setColor(
            i, qRgb((qRed(e) * (100 - p) + r * p) / 100, (qGreen(e) * (100 - p) + g * p) / 100,
                    (qBlue(e) * (100 - p) + b * p) / 100));
    }
}

void CxDib::SetGrayPalette() {
    if (!IsValid()) {
        return;
    }
    for (int i = 0; i < kPaletteSize; ++i) {
        m_image.setColor(i, qRgb(i, i, i));
    }
}

void CxDib::Clear(std::uint8_t index) {
    if (IsValid()) {
        m_image.fill(index);
    }
}

void CxDib::Clone(const CxDib& other) {
    // QImage shares its data until written: detach now so the copies can be
    // tinted on their own.
    m_image = other.m_image.copy();
}
