#include "controls/digi_static.h"

#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace {

constexpr COLORREF kOn = looks::rgb(0, 255, 0);
constexpr COLORREF kOff = looks::rgb(0, 0x34, 0);
constexpr COLORREF kBack = looks::rgb(0, 0, 0);

int totalWidth(const std::vector<CDigiChar>& chars) {
    int total = 0;
    for (const CDigiChar& c : chars) {
        total += c.GetWidth();
    }
    return total;
}

std::vector<WORD> masks(const std::vector<CDigiChar>& chars) {
    std::vector<WORD> result;
    for (const CDigiChar& c : chars) {
        result.push_back(c.GetMask());
    }
    return result;
}

struct WidthCase {
    const char* name;
    const char* text;
    int units;
};
ROW_NAME(WidthCase, row.name);

class DigiWidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(DigiWidthTest, TextTakesItsCharactersWidths) {
    CDigiStatic display;
    display.SetText(QString::fromLatin1(GetParam().text));
    EXPECT_EQ(totalWidth(display.GetDigiChars()), GetParam().units);
}

const WidthCase kWidthCases[] = {
    {"Clock", "12:34", 4 * 49 + 18},
    {"DecimalPoint", "8.8", 116},
    {"OutsideTheSetTakesNoRoom", "1;2#3", 3 * 49},
    {"LettersAndSigns", "A*+()\\/'", 8 * 49},
    {"Empty", "", 0},
    {"OnlyOutsideTheSet", ";#~", 0},
};

INSTANTIATE_TEST_SUITE_P(Table, DigiWidthTest, ::testing::ValuesIn(kWidthCases), CaseName());

TEST(DigiStaticTest, LowerCaseShowsAsCapitals) {
    CDigiStatic lower;
    lower.SetText(QStringLiteral("elecraft 7"));
    CDigiStatic upper;
    upper.SetText(QStringLiteral("ELECRAFT 7"));
    EXPECT_EQ(masks(lower.GetDigiChars()), masks(upper.GetDigiChars()));
    EXPECT_EQ(lower.GetDigiChars().size(), 10u);
}

TEST(DigiStaticTest, QuestionMarkShowsTheInitialText) {
    CDigiStatic display;
    display.setProperty("initialText", QStringLiteral("Elecraft"));
    CDigiStatic expected;
    expected.SetText(QStringLiteral("ELECRAFT"));
    EXPECT_EQ(masks(display.GetDigiChars()), masks(expected.GetDigiChars()));
    EXPECT_EQ(display.GetText(), QStringLiteral("Elecraft"));
}

TEST(DigiStaticTest, DigitsTakeSevenOrFourteenSegmentsByStyle) {
    CDigiStatic display;
    display.SetText(QStringLiteral("8 -A"));
    std::vector<int> counts;
    for (const CDigiChar& c : display.GetDigiChars()) {
        counts.push_back(c.GetSegmentCount());
    }
    EXPECT_EQ(counts, (std::vector<int>{7, 7, 7, 14}));
    EXPECT_TRUE(display.ModifyDigiStyle(0, DIGI_DIGITS14));
    counts.clear();
    for (const CDigiChar& c : display.GetDigiChars()) {
        counts.push_back(c.GetSegmentCount());
    }
    EXPECT_EQ(counts, (std::vector<int>{14, 14, 14, 14}));
}

TEST(DigiLayoutTest, KeepAspectCentresWithOneUnitAndStretchFillsTheArea) {
    const DigiLayout keep = LayoutDigiChars(49, 98, 83, true);
    EXPECT_DOUBLE_EQ(keep.xunit, 1.0);
    EXPECT_DOUBLE_EQ(keep.yunit, 1.0);
    EXPECT_DOUBLE_EQ(keep.x0, 24.5);
    EXPECT_DOUBLE_EQ(keep.y0, 0.0);

    const DigiLayout tall = LayoutDigiChars(49, 49, 166, true);
    EXPECT_DOUBLE_EQ(tall.xunit, 1.0);
    EXPECT_DOUBLE_EQ(tall.y0, 41.5);

    const DigiLayout stretch = LayoutDigiChars(49, 98, 83, false);
    EXPECT_DOUBLE_EQ(stretch.xunit, 2.0);
    EXPECT_DOUBLE_EQ(stretch.yunit, 1.0);
    EXPECT_DOUBLE_EQ(stretch.x0, 0.0);

    const DigiLayout none = LayoutDigiChars(0, 98, 83, true);
    EXPECT_EQ(none.totalUnits, 0);
    EXPECT_DOUBLE_EQ(none.xunit, 0.0);
}

TEST(DigiPenColorTest, SoftEdgeBlendsAQuarterOfTheBackground) {
    EXPECT_EQ(DigiPenColor(kOn, kBack, true), looks::rgb(0, 191, 0));
    EXPECT_EQ(DigiPenColor(kOff, kBack, true), looks::rgb(0, 39, 0));
    EXPECT_EQ(DigiPenColor(kOn, looks::rgb(255, 255, 255), true), looks::rgb(63, 255, 63));
    EXPECT_EQ(DigiPenColor(kOn, looks::rgb(255, 255, 255), false), kOn);
}

// A point well inside a segment's outline, away from its 1-pixel edge.
std::optional<QPoint> interiorPoint(const QPainterPath& path) {
    const QRectF bounds = path.boundingRect();
    const QPointF centre = bounds.center();
    std::optional<QPoint> best;
    double bestDistance = 1e18;
    for (int y = static_cast<int>(bounds.top()); y <= bounds.bottom(); ++y) {
        for (int x = static_cast<int>(bounds.left()); x <= bounds.right(); ++x) {
            bool inside = true;
            for (int dy = -2; dy <= 2 && inside; dy += 2) {
                for (int dx = -2; dx <= 2 && inside; dx += 2) {
                    inside = path.contains(QPointF(x + 0.5 + dx, y + 0.5 + dy));
                }
            }
            const double distance = QLineF(centre, QPointF(x, y)).length();
            if (inside && distance < bestDistance) {
                best = QPoint(x, y);
                bestDistance = distance;
            }
        }
    }
    return best;
}

struct GlyphCase {
    const char* name;
    const char* text;
    DWORD style;
    std::set<int> lit;
};
ROW_NAME(GlyphCase, row.name);

class DigiGlyphTest : public ::testing::TestWithParam<GlyphCase> {};

// Each segment of the rendered character shows the on colour when lit, the
// off colour when not, or the background when only lit segments are drawn.
TEST_P(DigiGlyphTest, SegmentCentresShowTheirState) {
    const GlyphCase& c = GetParam();
    CDigiStatic display;
    display.ModifyDigiStyle(~DWORD{0}, 0);
    display.ModifyDigiStyle(0, c.style | DIGI_KEEPASPECT | DIGI_SOFTEDGE);
    display.SetText(QString::fromLatin1(c.text));
    ASSERT_EQ(display.GetDigiChars().size(), 1u);
    const CDigiChar& digi = display.GetDigiChars()[0];
    display.resize(digi.GetWidth() * 4, 83 * 4);
    const QImage image = display.grab().toImage();
    const DigiRect rect{0, 0, digi.GetWidth() * 4.0, 83 * 4.0};

    for (int i = 0; i < digi.GetSegmentCount(); ++i) {
        const std::optional<QPoint> at =
            interiorPoint(digi.GetSegment(i).Path(rect, digi.GetWidth()));
        ASSERT_TRUE(at.has_value()) << "segment " << i;
        const bool lit = c.lit.count(i) != 0;
        const COLORREF expected = lit ? kOn : (c.style & DIGI_LITONLY) != 0 ? kBack : kOff;
        EXPECT_EQ(image.pixelColor(*at), looks::toQColor(expected))
            << "segment " << i << (lit ? " lit" : " unlit") << " at " << at->x() << "," << at->y();
    }
}

const GlyphCase kGlyphCases[] = {
    {"Eight", "8", 0, {0, 1, 2, 3, 4, 5, 6}},
    {"One", "1", 0, {2, 5}},
    {"Minus", "-", 0, {3}},
    {"Blank", " ", 0, {}},
    {"CurvedTwo", "2", DIGI_CURVED, {0, 2, 3, 4, 6}},
    {"FourteenSegmentEight", "8", DIGI_DIGITS14, {6, 7, 8, 9, 10, 11, 12, 13}},
    {"LetterA", "A", 0, {6, 7, 8, 9, 11, 12, 13}},
    {"CurvedLetterA", "A", DIGI_CURVED, {6, 7, 8, 9, 11, 12, 13}},
    {"LetterX", "X", 0, {1, 2, 3, 4}},
    {"CurvedLetterK", "K", DIGI_CURVED, {2, 4, 6, 8, 9}},
    {"Colon", ":", 0, {0, 1}},
    {"Point", ".", 0, {2}},
    {"LitOnlyOne", "1", DIGI_LITONLY, {2, 5}},
    {"LitOnlyLetterX", "X", DIGI_LITONLY, {1, 2, 3, 4}},
};

INSTANTIATE_TEST_SUITE_P(Table, DigiGlyphTest, ::testing::ValuesIn(kGlyphCases), CaseName());

// Bounds of everything that is not background.
QRect inkBounds(const QImage& image, QColor background) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

TEST(DigiRenderTest, KeepAspectCentresOneScaleAndStretchFillsTheWidth) {
    CDigiStatic display;
    display.SetText(QStringLiteral("8"));
    display.resize(300, 100);
    // One unit is min(300 / 49, 100 / 83) = 100 / 83: the character is
    // about 59 px wide, centred.
    const QRect keep = inkBounds(display.grab().toImage(), Qt::black);
    EXPECT_GE(keep.left(), 119);
    EXPECT_LE(keep.right(), 182);
    EXPECT_LE(std::abs(keep.left() - (299 - keep.right())), 3);
    EXPECT_GE(keep.top(), 0);
    EXPECT_LE(keep.bottom(), 99);

    ASSERT_TRUE(display.ModifyDigiStyle(DIGI_KEEPASPECT, 0));
    const QRect stretched = inkBounds(display.grab().toImage(), Qt::black);
    EXPECT_LT(stretched.left(), 40);
    EXPECT_GT(stretched.right(), 260);
}

// What is painted without characters. paintEvent's early return for it only saves work: the
// zero-unit layout (DigiLayoutTest above) places no character either, and a floating division
// by zero does not trap here, so no picture shows that return missing.
TEST(DigiRenderTest, TextWithoutCharactersPaintsOnlyTheBackground) {
    for (const char* text : {"", ";#"}) {
        CDigiStatic display;
        display.SetBkColor(looks::rgb(10, 20, 30));
        display.SetText(QString::fromLatin1(text));
        display.resize(120, 40);
        EXPECT_TRUE(inkBounds(display.grab().toImage(), QColor(10, 20, 30)).isNull()) << text;
    }
}

TEST(DigiRenderTest, SoftEdgeOutlinesInTheBlendedColour) {
    auto countPen = [](DWORD style) {
        CDigiStatic display;
        display.ModifyDigiStyle(~style, style);
        display.SetText(QStringLiteral("88"));
        display.resize(98, 83);
        const QImage image = display.grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixelColor(x, y) == QColor(0, 191, 0);
            }
        }
        return count;
    };
    EXPECT_GT(countPen(DIGI_KEEPASPECT | DIGI_SOFTEDGE), 0);
    EXPECT_EQ(countPen(DIGI_KEEPASPECT), 0);
}

// Counts paints, to see which changes repaint.
class CountingDigiStatic : public CDigiStatic {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CDigiStatic::paintEvent(event);
    }
};

class DigiRepaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_display.resize(100, 40);
        m_display.SetText(QStringLiteral("12"));
        m_display.show();
        settle();
        m_display.paints = 0;
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
        }
    }
    int paintsAfter(const std::function<void()>& change) {
        m_display.paints = 0;
        change();
        settle();
        return m_display.paints;
    }
    CountingDigiStatic m_display;
};

TEST_F(DigiRepaintTest, UnchangedValuesCauseNoRepaint) {
    EXPECT_EQ(paintsAfter([&] { m_display.SetText(QStringLiteral("12")); }), 0);
    EXPECT_EQ(paintsAfter([&] { m_display.SetColor(kOff, kOn); }), 0);
    EXPECT_EQ(paintsAfter([&] { m_display.SetBkColor(kBack); }), 0);
    EXPECT_EQ(paintsAfter([&] { EXPECT_FALSE(m_display.ModifyDigiStyle(0x02, 0x02)); }), 0);
    EXPECT_EQ(m_display.GetDigiStyle(), DIGI_KEEPASPECT | DIGI_SOFTEDGE);
}

TEST_F(DigiRepaintTest, ChangesRepaint) {
    EXPECT_EQ(paintsAfter([&] { m_display.SetText(QStringLiteral("13")); }), 1);
    EXPECT_EQ(paintsAfter([&] { m_display.SetColor(kOn, kOff); }), 1);
    COLORREF previous = 0;
    EXPECT_EQ(paintsAfter([&] { previous = m_display.SetBkColor(looks::rgb(1, 2, 3)); }), 1);
    EXPECT_EQ(previous, kBack);
    EXPECT_EQ(m_display.SetBkColor(looks::rgb(4, 5, 6)), looks::rgb(1, 2, 3));
    EXPECT_EQ(paintsAfter([&] { EXPECT_TRUE(m_display.ModifyDigiStyle(DIGI_SOFTEDGE, 0x09)); }), 1);
    EXPECT_EQ(m_display.GetDigiStyle(), DIGI_KEEPASPECT | DIGI_CURVED | DIGI_LITONLY);
}

TEST_F(DigiRepaintTest, DrawImmediatelyPaintsBeforeReturning) {
    m_display.SetText(QStringLiteral("34"));
    EXPECT_EQ(m_display.paints, 0);
    settle();
    m_display.SetDrawImmediately(true);
    m_display.paints = 0;
    m_display.SetText(QStringLiteral("56"));
    EXPECT_EQ(m_display.paints, 1);
}

TEST(DigiStaticTest, FormatFollowsPrintfRules) {
    CDigiStatic display;
    display.Format(" COM%1d", 3);
    EXPECT_EQ(display.GetText(), QStringLiteral(" COM3"));
}

TEST(DigiTransparentTest, MaskIsTheDrawnSegments) {
    CDigiStatic display;
    display.SetTransparent(true);
    display.SetText(QStringLiteral("1"));
    display.resize(49 * 4, 83 * 4);
    display.grab();
    const CDigiChar& digi = display.GetDigiChars()[0];
    const DigiRect rect{0, 0, 49 * 4.0, 83 * 4.0};
    const std::optional<QPoint> lit = interiorPoint(digi.GetSegment(2).Path(rect, 49));
    const std::optional<QPoint> unlit = interiorPoint(digi.GetSegment(0).Path(rect, 49));
    ASSERT_TRUE(lit && unlit);
    EXPECT_TRUE(display.mask().contains(*lit));
    EXPECT_TRUE(display.mask().contains(*unlit));  // unlit segments are drawn too
    EXPECT_FALSE(display.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(display.mask().contains(QPoint(98, 41 * 4 - 20)));  // between segments

    display.SetTransparent(false);
    EXPECT_TRUE(display.mask().isEmpty());
}

}  // namespace
