#pragma once

// CDigiChar: one LED character, a set of segments (digi_segment.h) with a
// mask of the lit ones. CDigi7SegChar, CDigi14SegChar and CDigiColonChar
// build their segments from the constant shape tables; CDigiStatic holds the
// characters of its text by value and rebuilds them when its text or style
// changes. Also here: the character selection for a text and the layout
// arithmetic of a text block. GUI thread only; no widget types.

#include "controls/digi_segment.h"
#include "controls/looks.h"

#include <QChar>

#include <cstdint>
#include <memory>
#include <vector>

class QBrush;
class QPainter;
class QPen;
class QRegion;

using DWORD = std::uint32_t;
using WORD = std::uint16_t;

// Style bits of an LED display.
inline constexpr DWORD DIGI_CURVED = 0x01;      // Bezier-rounded segments
inline constexpr DWORD DIGI_DIGITS14 = 0x02;    // digits, blank and '-' with 14 segments
inline constexpr DWORD DIGI_KEEPASPECT = 0x04;  // one unit for both axes, block centred
inline constexpr DWORD DIGI_LITONLY = 0x08;     // unlit segments are not drawn
inline constexpr DWORD DIGI_SOFTEDGE = 0x10;    // outlines blended towards the background

class CDigiChar {
  public:
    CDigiChar() = default;
    virtual ~CDigiChar() = default;
    CDigiChar(const CDigiChar&) = default;
    CDigiChar& operator=(const CDigiChar&) = default;

    // The subclasses build their segments for the style first; the base
    // keeps the mask and the lit-only bit.
    virtual void SetElementData(WORD wMask, DWORD dwStyle);

    // Draws every segment (only the lit ones when lit-only) into `rect`,
    // lit ones with the on pen and brush. When `region` is given, the drawn
    // outlines are united into it.
    void Draw(QPainter* painter, const DigiRect& rect, const QPen& offPen, const QPen& onPen,
              const QBrush& offBrush, const QBrush& onBrush, QRegion* region) const;

    int GetWidth() const { return m_Width; }
    WORD GetMask() const { return m_wMask; }
    bool IsLitOnly() const { return m_bLitOnly; }
    int GetSegmentCount() const { return m_nCount; }
    const CDigiSegment& GetSegment(int index) const {
        return m_SegArray[static_cast<std::size_t>(index)];
    }

  protected:
    int m_Width = 0;
    WORD m_wMask = 0;
    std::vector<CDigiSegment> m_SegArray;
    int m_nCount = 0;
    bool m_bLitOnly = false;
};

class CDigi7SegChar : public CDigiChar {
  public:
    CDigi7SegChar();
    void SetElementData(WORD wMask, DWORD dwStyle) override;
};

class CDigi14SegChar : public CDigiChar {
  public:
    CDigi14SegChar();
    void SetElementData(WORD wMask, DWORD dwStyle) override;
};

class CDigiColonChar : public CDigiChar {
  public:
    CDigiColonChar();
    void SetElementData(WORD wMask, DWORD dwStyle) override;
};

// Width of the LED characters in design units.
inline constexpr int kDigiCharWidth = 49;
inline constexpr int kDigiColonWidth = 18;

// Segment masks, indexed as CreateDigiChar indexes them.
extern const WORD kDigi7SegMasks[12];
extern const WORD kDigi14SegMasks[45];

// The character that shows `c` (upper case expected) with `dwStyle`, with its
// segments built; none for a character outside the set, which takes no room.
std::unique_ptr<CDigiChar> CreateDigiChar(QChar c, DWORD dwStyle);

// A shape with its transform, as one segment of some character uses it.
// Lists every outline the characters can be built from, for checking.
struct DigiOutline {
    const char* name;
    std::vector<QPoint> points;
    std::vector<std::uint8_t> types;
};
std::vector<DigiOutline> AllDigiOutlines();

// Where the characters of a text block go in a client area.
struct DigiLayout {
    int totalUnits = 0;  // sum of the character widths
    double xunit = 0;    // device units per design unit
    double yunit = 0;
    double x0 = 0;  // top-left corner of the block
    double y0 = 0;
};

// Nothing to lay out when totalUnits is 0 (empty text): the result is then all
// zeros and no character is drawn.
DigiLayout LayoutDigiChars(int totalUnits, double clientWidth, double clientHeight,
                           bool keepAspect);

// The pen colour of a segment: with soft edges 0.75 segment + 0.25
// background per channel (truncated), else the segment colour. Colours are
// 0x00BBGGRR values.
COLORREF DigiPenColor(COLORREF segment, COLORREF background, bool softEdge);
