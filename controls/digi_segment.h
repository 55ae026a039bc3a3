#pragma once

// CDigiSegment: one segment of an LED character, an outline in the
// character's design grid (its width in units across, 83 units high, y down).
//
// Straight outlines are polygons. Curved outlines are polylines whose runs of
// Bezier sample points are refitted to one cubic each time the segment is
// drawn (FitBezier), at the current scale, so the curves stay smooth at any
// size. CDigiChar (digi_char.h) owns its segments by value; GUI thread only.

#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <vector>

class QPainterPath;

// Point types of an outline.
inline constexpr std::uint8_t PT_MOVETO = 6;
inline constexpr std::uint8_t PT_LINETO = 2;
inline constexpr std::uint8_t PT_BEZIERTO = 4;

// Height of every LED character in design units.
inline constexpr int kDigiCharHeight = 83;

// A character's rectangle in device units: left, top, right, bottom.
struct DigiRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

class CDigiSegment {
  public:
    CDigiSegment() = default;

    // Copies both arrays; a null array or a negative count leaves the
    // segment empty.
    void SetPoints(const QPoint* points, const std::uint8_t* types, int count);

    // The device outline of this segment for a character of `charWidth`
    // units drawn into `rect`: straight points rounded to device pixels, each
    // Bezier run replaced by one fitted cubic ending at the line-to point that
    // follows it. A malformed run (no point before it, or no line-to after
    // it) is drawn as straight lines rather than read past the outline.
    QPainterPath Path(const DigiRect& rect, int charWidth) const;

    int GetPointCount() const { return static_cast<int>(m_points.size()); }
    const std::vector<QPoint>& GetPoints() const { return m_points; }
    const std::vector<std::uint8_t>& GetTypes() const { return m_types; }

  private:
    std::vector<QPoint> m_points;
    std::vector<std::uint8_t> m_types;
};

// Whether an outline can be walked as drawn: it starts with a move-to, every
// type is known, and every Bezier run has at least two points, follows a
// point and is followed by a line-to point.
bool IsWellFormedOutline(const std::vector<QPoint>& points, const std::vector<std::uint8_t>& types);

// Least-squares fit of one cubic Bezier with fixed end points to the sample
// points (x, y pairs; valueCount = 2 x number of points, at least 3 points).
// `out` receives x, y of the first and of the second inner control point.
// With fewer than 3 points the control points lie on the end points.
void FitBezier(const double* samples, int valueCount, double* out);

// Sum over the interior samples of the squared distance to the nearest point
// of the cubic with control polygon p0..p3 (exposed for the fit's tests).
double BezierFitError(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3,
                      const double* samples, int pointCount);
