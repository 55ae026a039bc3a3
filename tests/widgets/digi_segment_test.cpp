#include "controls/digi_segment.h"
#include "controls/digi_char.h"

#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct Cubic {
    QPointF p[4];
    QPointF at(double u) const {
        const double a = (1 - u) * (1 - u) * (1 - u);
        const double b = 3 * u * (1 - u) * (1 - u);
        const double c = 3 * u * u * (1 - u);
        const double d = u * u * u;
        return a * p[0] + b * p[1] + c * p[2] + d * p[3];
    }
    double span() const {
        double lo = 1e9, hi = -1e9;
        for (const QPointF& q : p) {
            lo = std::min({lo, q.x(), q.y()});
            hi = std::max({hi, q.x(), q.y()});
        }
        return hi - lo;
    }
};

std::vector<double> sampleCubic(const Cubic& cubic, int n) {
    std::vector<double> samples;
    for (int i = 0; i < n; ++i) {
        const QPointF q = cubic.at(static_cast<double>(i) / (n - 1));
        samples.push_back(q.x());
        samples.push_back(q.y());
    }
    return samples;
}

double distanceToCurve(const Cubic& cubic, QPointF point) {
    double best = 1e18;
    for (int i = 0; i <= 2000; ++i) {
        const QPointF d = cubic.at(i / 2000.0) - point;
        best = std::min(best, std::hypot(d.x(), d.y()));
    }
    return best;
}

struct FitCase {
    const char* name;
    Cubic cubic;
    int points;
};
ROW_NAME(FitCase, row.name);

class FitBezierTest : public ::testing::TestWithParam<FitCase> {};

// The fit recovers the curve the samples came from: every sample lies close
// to the fitted curve, and the control points are near the original ones.
TEST_P(FitBezierTest, RecoversKnownCubic) {
    const FitCase& c = GetParam();
    const std::vector<double> samples = sampleCubic(c.cubic, c.points);
    double out[4];
    FitBezier(samples.data(), static_cast<int>(samples.size()), out);

    const Cubic fitted{{c.cubic.p[0], {out[0], out[1]}, {out[2], out[3]}, c.cubic.p[3]}};
    const double span = c.cubic.span();
    for (int i = 0; i < c.points; ++i) {
        EXPECT_LT(distanceToCurve(fitted, {samples[2 * i], samples[2 * i + 1]}), 0.03 * span)
            << "sample " << i;
    }
    EXPECT_LT(std::hypot(out[0] - c.cubic.p[1].x(), out[1] - c.cubic.p[1].y()), 0.15 * span);
    EXPECT_LT(std::hypot(out[2] - c.cubic.p[2].x(), out[3] - c.cubic.p[2].y()), 0.15 * span);
}

const FitCase kFitCases[] = {
    {"WideArcFivePoints", {{{0, 0}, {10, 30}, {40, 30}, {50, 0}}}, 5},
    {"SmallArcFivePoints", {{{0, 0}, {5, 10}, {15, 10}, {20, 0}}}, 5},
    {"SmallArcSevenPoints", {{{0, 0}, {5, 10}, {15, 10}, {20, 0}}}, 7},
};

INSTANTIATE_TEST_SUITE_P(Table, FitBezierTest, ::testing::ValuesIn(kFitCases), CaseName());

TEST(FitBezierLineTest, CollinearSamplesGiveControlPointsOnTheLine) {
    for (int n : {3, 4, 6, 9}) {
        std::vector<double> samples;
        for (int i = 0; i < n; ++i) {
            const double x = 3.0 + 7.0 * i * i / ((n - 1) * (n - 1));  // uneven spacing
            samples.push_back(x);
            samples.push_back(2 * x + 1);
        }
        double out[4];
        FitBezier(samples.data(), static_cast<int>(samples.size()), out);
        EXPECT_NEAR(out[1], 2 * out[0] + 1, 1e-9) << n;
        EXPECT_NEAR(out[3], 2 * out[2] + 1, 1e-9) << n;
    }
}

TEST(FitBezierLineTest, FewerThanThreePointsLieOnTheEnds) {
    const double two[] = {1, 2, 5, 6};
    double out[4] = {-1, -1, -1, -1};
    FitBezier(two, 4, out);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(out[3], 6);
}

// Awkward sample sets (repeated points, spikes, zig-zags, huge and tiny
// coordinates) once made the searches run without end. Every one must
// return, with finite control points no worse than the starting guess.
TEST(FitBezierStressTest, RandomSampleSetsAllReturn) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> pointCount(3, 9);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_real_distribution<double> coordinate(-100, 100);
    std::uniform_int_distribution<int> grid(0, 3);
    for (int set = 0; set < 3000; ++set) {
        const int n = pointCount(random);
        const int k = kind(random);
        std::vector<double> samples;
        for (int i = 0; i < 2 * n; ++i) {
            switch (k) {
                case 0:
                    samples.push_back(coordinate(random));
                    break;
                case 1:  // few distinct values: repeated points and zero slopes
                    samples.push_back(grid(random));
                    break;
                case 2:  // large values with tiny differences
                    samples.push_back(1e6 + coordinate(random) * 1e-6);
                    break;
                default:  // zig-zag
                    samples.push_back(i % 4 < 2 ? coordinate(random) : -samples.back());
                    break;
            }
        }
        double out[4];
        FitBezier(samples.data(), 2 * n, out);
        for (double v : out) {
            ASSERT_TRUE(std::isfinite(v)) << "set " << set;
        }
        const QPointF first(samples[0], samples[1]);
        const QPointF last(samples[2 * n - 2], samples[2 * n - 1]);
        const QPointF start1(2 * samples[2] - samples[0], 2 * samples[3] - samples[1]);
        const QPointF start2(2 * samples[2 * n - 4] - last.x(), 2 * samples[2 * n - 3] - last.y());
        EXPECT_LE(
            BezierFitError(first, {out[0], out[1]}, {out[2], out[3]}, last, samples.data(), n),
            BezierFitError(first, start1, start2, last, samples.data(), n))
            << "set " << set;
    }
}

// Where a segment sits in its 49 x 83 character, by the centre of its
// outline's bounds: left, centre or right; top, upper half, middle, lower
// half or bottom.
enum Col { Left, Centre, Right };
enum Row { Top, Upper, Middle, Lower, Bottom };

Col colOf(double x) {
    return x < 22 ? Left : x > 26 ? Right : Centre;
}
Row rowOf(double y) {
    if (y < 15)
        return Top;
    if (y > 68)
        return Bottom;
    if (y >= 36 && y <= 47)
        return Middle;
    return y < 36 ? Upper : Lower;
}

struct Place {
    Col col;
    Row row;
};

// Segment order of the 7-segment characters.
const Place k7Places[7] = {{Centre, Top}, {Left, Upper},  {Right, Upper},  {Centre, Middle},
                           {Left, Lower}, {Right, Lower}, {Centre, Bottom}};
// Segment order of the 14-segment characters.
const Place k14Places[14] = {{Centre, Upper}, {Left, Upper},   {Right, Upper},   {Left, Lower},
                             {Right, Lower},  {Centre, Lower}, {Left, Middle},   {Right, Middle},
                             {Left, Upper},   {Left, Lower},   {Centre, Bottom}, {Right, Lower},
                             {Right, Upper},  {Centre, Top}};

void expectPlaces(const CDigiChar& digi, const Place* places, const char* what) {
    for (int i = 0; i < digi.GetSegmentCount(); ++i) {
        const auto& points = digi.GetSegment(i).GetPoints();
        ASSERT_FALSE(points.empty());
        int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
        for (const QPoint& p : points) {
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
            EXPECT_TRUE(p.x() >= 0 && p.x() < digi.GetWidth() && p.y() >= 0 && p.y() < 83)
                << what << " segment " << i;
        }
        EXPECT_EQ(colOf((minX + maxX) / 2.0), places[i].col) << what << " segment " << i;
        EXPECT_EQ(rowOf((minY + maxY) / 2.0), places[i].row) << what << " segment " << i;
    }
}

TEST(DigiOutlineTest, SegmentsSitWhereTheirNamesSay) {
    for (DWORD curved : {DWORD{0}, DIGI_CURVED}) {
        CDigi7SegChar seven;
        seven.SetElementData(0, curved);
        ASSERT_EQ(seven.GetSegmentCount(), 7);
        expectPlaces(seven, k7Places, curved ? "7 curved" : "7 straight");
        CDigi14SegChar fourteen;
        fourteen.SetElementData(0, curved);
        ASSERT_EQ(fourteen.GetSegmentCount(), 14);
        expectPlaces(fourteen, k14Places, curved ? "14 curved" : "14 straight");
    }
}

// Every shape under every transform it is used with can be walked: the
// drawing code relies on it.
TEST(DigiOutlineTest, EveryShapeAndTransformIsWellFormed) {
    const std::vector<DigiOutline> all = AllDigiOutlines();
    EXPECT_EQ(all.size(), 2u * (7 + 14) + 3);
    for (const DigiOutline& outline : all) {
        EXPECT_TRUE(IsWellFormedOutline(outline.points, outline.types)) << outline.name;
    }
}

struct OutlineCase {
    const char* name;
    std::vector<std::uint8_t> types;
    bool wellFormed;
};
ROW_NAME(OutlineCase, row.name);

class MalformedOutlineTest : public ::testing::TestWithParam<OutlineCase> {};

// A malformed outline is recognised, and drawing it stays inside its points.
TEST_P(MalformedOutlineTest, IsRecognisedAndDrawnSafely) {
    const OutlineCase& c = GetParam();
    std::vector<QPoint> points;
    for (std::size_t i = 0; i < c.types.size(); ++i) {
        points.emplace_back(static_cast<int>(4 + 5 * i), static_cast<int>(10 + 3 * (i % 3)));
    }
    EXPECT_EQ(IsWellFormedOutline(points, c.types), c.wellFormed);
    CDigiSegment segment;
    segment.SetPoints(points.data(), c.types.data(), static_cast<int>(points.size()));
    const QPainterPath path = segment.Path({0, 0, 49, 83}, 49);
    EXPECT_LE(path.boundingRect().right(), 49);
}

const OutlineCase kOutlineCases[] = {
    {"Polygon", {PT_MOVETO, PT_LINETO, PT_LINETO}, true},
    {"CurveClosedByLine", {PT_MOVETO, PT_BEZIERTO, PT_BEZIERTO, PT_LINETO}, true},
    {"CurveAtTheEnd", {PT_MOVETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO}, false},
    {"SingleCurvePoint", {PT_MOVETO, PT_BEZIERTO, PT_LINETO}, false},
    {"CurveFirst", {PT_BEZIERTO, PT_BEZIERTO, PT_LINETO}, false},
    {"CurveEndedByMove", {PT_MOVETO, PT_BEZIERTO, PT_BEZIERTO, PT_MOVETO}, false},
    {"UnknownType", {PT_MOVETO, 9, PT_LINETO}, false},
};

INSTANTIATE_TEST_SUITE_P(Table, MalformedOutlineTest, ::testing::ValuesIn(kOutlineCases),
                         CaseName());

TEST(DigiSegmentTest, DevicePointsAreRoundedAndCurvesEndOnTheirLinePoint) {
    // Straight: (5,4) in a 49 x 83 character drawn at 98 x 166 from (10, 20).
    CDigi7SegChar straight;
    straight.SetElementData(0, 0);
    const QPainterPath top = straight.GetSegment(0).Path({10, 20, 108, 186}, 49);
    ASSERT_EQ(top.elementCount(), 5);  // move, three lines, closing line
    EXPECT_EQ(QPointF(top.elementAt(0)), QPointF(20, 28));
    EXPECT_EQ(QPointF(top.elementAt(3)), QPointF(96, 28));

    // Curved top bar: one cubic replaces the three sample points and ends at
    // the line-to point (12,11), which is not drawn again as a line.
    CDigi7SegChar curved;
    curved.SetElementData(0, DIGI_CURVED);
    const QPainterPath bar = curved.GetSegment(0).Path({0, 0, 49, 83}, 49);
    int curves = 0;
    for (int i = 0; i < bar.elementCount(); ++i) {
        curves += bar.elementAt(i).type == QPainterPath::CurveToElement;
    }
    EXPECT_EQ(curves, 1);
    EXPECT_EQ(QPointF(bar.elementAt(3)), QPointF(12, 11));
    EXPECT_EQ(bar.elementCount(), 1 + 3 + 2 + 1);  // move, cubic, two lines, closing line
}

}  // namespace
