#include <gtest/gtest.h>

#include <vector>

#include "controls/classic_rand.h"
#include "controls/cx_dib.h"
#include "controls/looks.h"
#include "controls/shade_faces.h"
#include "tests/support/row_names.h"

namespace {

// Swaps the process-wide random source for the test's lifetime.
class ScopedRandSource {
  public:
    explicit ScopedRandSource(classic_rand::Source source)
        : m_previous(classic_rand::setSource(std::move(source))) {}
    ~ScopedRandSource() { classic_rand::setSource(std::move(m_previous)); }
    ScopedRandSource(const ScopedRandSource&) = delete;
    ScopedRandSource& operator=(const ScopedRandSource&) = delete;

  private:
    classic_rand::Source m_previous;
};

std::vector<int> pixels(const CxDib& dib) {
    std::vector<int> out;
    for (int y = 0; y < dib.GetHeight(); ++y) {
        for (int x = 0; x < dib.GetWidth(); ++x) {
            out.push_back(dib.GetPixelIndex(x, y));
        }
    }
    return out;
}

TEST(ClassicRand, FollowsTheCLibrarySequenceFromSeedOne) {
    classic_rand::Generator g;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) {
        EXPECT_EQ(g.next(), value);
    }
}

TEST(ClassicRand, InjectedSourceReplacesAndRestoresTheProcessSequence) {
    const int before = classic_rand::rand();
    {
        ScopedRandSource fixed([] { return 7; });
        EXPECT_EQ(classic_rand::rand(), 7);
        EXPECT_EQ(classic_rand::rand(), 7);
    }
    // The process-wide generator carries on after `before`, untouched by the
    // injected source.
    classic_rand::Generator replay;
    int v = replay.next();
    while (v != before) {
        v = replay.next();
    }
    EXPECT_EQ(classic_rand::rand(), replay.next());
}

TEST(CxDib, PixelAccessOutsideTheBitmapIsIgnored) {
    CxDib dib;
    ASSERT_TRUE(dib.Create(4, 3));
    dib.Clear(9);
    const struct {
        int x;
        int y;
    } outside[] = {{-1, 0}, {4, 0}, {0, 3}, {0, -1}, {4, 2}, {1000, 1000}};
    for (const auto& p : outside) {
        dib.SetPixelIndex(p.x, p.y, 200);
        EXPECT_EQ(dib.GetPixelIndex(p.x, p.y), 0) << p.x << "," << p.y;
    }
    EXPECT_EQ(pixels(dib), std::vector<int>(12, 9));

    dib.SetPaletteIndex(256, 1, 2, 3);
    dib.SetPaletteIndex(-1, 1, 2, 3);
    EXPECT_EQ(dib.GetPaletteIndex(256), 0u);
}

TEST(CxDib, EmptySizeMakesNoBitmapAndOperationsAreHarmless) {
    CxDib dib;
    EXPECT_FALSE(dib.Create(0, 5));
    EXPECT_FALSE(dib.IsValid());
    dib.SetPixelIndex(0, 0, 1);
    dib.BlendPalette(0xFFFFFF, 50);
    dib.Clear(3);
    EXPECT_EQ(dib.GetWidth(), 0);
}

TEST(CxDib, BlendPaletteMixesEveryEntryByPercentCappedAtHundred) {
    CxDib dib;
    ASSERT_TRUE(dib.Create(1, 1));
    dib.SetPaletteIndex(0, looks::rgb(100, 0, 200));
    dib.BlendPalette(looks::rgb(200, 100, 0), 25);
    EXPECT_EQ(dib.GetPaletteIndex(0), looks::rgb(125, 25, 150));
    dib.BlendPalette(looks::rgb(1, 2, 3), 250);
    EXPECT_EQ(dib.GetPaletteIndex(0), looks::rgb(1, 2, 3));
}

TEST(CxDib, CloneIsIndependentOfItsSource) {
    CxDib a;
    ASSERT_TRUE(a.Create(2, 2));
    a.SetPixelIndex(1, 1, 5);
    CxDib b;
    b.Clone(a);
    b.SetPixelIndex(1, 1, 6);
    b.BlendPalette(0xFFFFFF, 100);
    EXPECT_EQ(a.GetPixelIndex(1, 1), 5);
    EXPECT_EQ(a.GetPaletteIndex(0), 0u);
    EXPECT_EQ(b.GetPixelIndex(1, 1), 6);
}

TEST(ShadePalette, RunsFromShadowThroughFaceToHighlightAndTintsFully) {
    ShadeParams plain{0, 0, 0, 0, 0x37FF37};
    const ShadeFaces faces = buildShadeFaces(10, 10, 4, plain);
    const CxDib& n = faces.normal;
    EXPECT_EQ(n.GetPaletteIndex(0), looks::sysColorRef(looks::SysColor::BtnShadow));
    EXPECT_EQ(n.GetPaletteIndex(255), looks::sysColorRef(looks::SysColor::BtnHighlight));
    const COLORREF face = looks::sysColorRef(looks::SysColor::BtnFace);
    for (int i : {127, 128}) {
        const COLORREF e = n.GetPaletteIndex(i);
        EXPECT_NEAR(looks::redOf(e), looks::redOf(face), 1) << i;
        EXPECT_NEAR(looks::greenOf(e), looks::greenOf(face), 1) << i;
        EXPECT_NEAR(looks::blueOf(e), looks::blueOf(face), 1) << i;
    }

    ShadeParams tinted{0, 0, 0, 100, 0x37FF37};
    const ShadeFaces full = buildShadeFaces(10, 10, 4, tinted);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(full.normal.GetPaletteIndex(i), 0x37FF37u) << i;
    }
}

TEST(ShadeFaces, HoverAndCheckedAreTheNormalPixelsOnALighterPalette) {
    ShadeParams p{6, 8, 10, 5, 0xC0C0FF};
    const ShadeFaces faces = buildShadeFaces(30, 12, 4, p);
    EXPECT_EQ(pixels(faces.hover), pixels(faces.normal));
    EXPECT_EQ(pixels(faces.checked), pixels(faces.normal));
    EXPECT_EQ(pixels(faces.disabled), pixels(faces.normal));
    const COLORREF normal0 = faces.normal.GetPaletteIndex(0);
    const COLORREF hover0 = faces.hover.GetPaletteIndex(0);
    EXPECT_EQ(looks::redOf(hover0), (looks::redOf(normal0) * 90 + 255 * 10) / 100);
    EXPECT_EQ(faces.checked.GetPaletteIndex(0), hover0);
    EXPECT_EQ(faces.disabled.GetPaletteIndex(0), normal0);
}

TEST(ShadeFaces, FocusLinesAlternateShadowAndLightAndNeverVanish) {
    ShadeParams p{0, 0, 0, 0, 0};
    const ShadeFaces wide = buildShadeFaces(93, 28, 4, p);
    EXPECT_EQ(wide.focusHorizontal.GetWidth(), 93 - 8 - 1);
    EXPECT_EQ(wide.focusVertical.GetHeight(), 28 - 8);
    EXPECT_EQ(wide.focusHorizontal.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(wide.focusHorizontal.GetPixelIndex(1, 0), 255);
    EXPECT_EQ(wide.focusVertical.GetPixelIndex(0, 1), 255);

    // Narrower than twice the margin plus two: still one-pixel lines.
    const ShadeFaces narrow = buildShadeFaces(5, 6, 4, p);
    EXPECT_EQ(narrow.focusHorizontal.GetWidth(), 1);
    EXPECT_EQ(narrow.focusVertical.GetHeight(), 1);
}

// Every type on sizes that divide by zero in the plain formulas: w or h 0,
// h < 2 (type 7's K), and a button wider than 32767 pixels (type 8's
// 32767 / w). Type 7's a, 0 below a width of 6, is kept at one too, but with
// an a of 0 neither end of a row is rounded, so its divisions are never
// reached: these rows cannot show that clamp missing.
struct SizeCase {
    const char* name;
    int w;
    int h;
};
ROW_NAME(SizeCase, row.name);

class ShadeFaceSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ShadeFaceSizes, EveryTypeBuildsFacesOfTheClientSize) {
    const SizeCase& c = GetParam();
    for (unsigned type = 0; type <= 9; ++type) {
        for (std::uint8_t g : {std::uint8_t{0}, std::uint8_t{8}, std::uint8_t{255}}) {
            ShadeParams p{type, g, 10, 5, 0x37FF37};
            const ShadeFaces f = buildShadeFaces(c.w, c.h, 4, p);
            if (c.w == 0 || c.h == 0) {
                EXPECT_FALSE(f.normal.IsValid());
                EXPECT_FALSE(f.hover.IsValid());
                EXPECT_FALSE(f.focusHorizontal.IsValid());
                continue;
            }
            for (const CxDib* face : {&f.normal, &f.checked, &f.disabled, &f.hover}) {
                ASSERT_EQ(face->GetWidth(), c.w) << "type " << type;
                ASSERT_EQ(face->GetHeight(), c.h) << "type " << type;
            }
        }
    }
}

const SizeCase kSizes[] = {
    {"Empty", 0, 0},
    {"ZeroHigh", 30, 0},
    {"OnePixel", 1, 1},
    {"NarrowTall", 5, 30},
    {"WideFlat", 30, 1},
    {"FrontPanelButton", 93, 28},
    {"WiderThanRand", 40000, 2},
};
INSTANTIATE_TEST_SUITE_P(Sizes, ShadeFaceSizes, ::testing::ValuesIn(kSizes), CaseName());

TEST(ShadeFaces, SameSequenceGivesTheSameFace) {
    for (unsigned type = 0; type <= 8; ++type) {
        ShadeParams p{type, 8, 10, 5, 0x37FF37};
        std::vector<int> first;
        {
            ScopedRandSource seq{classic_rand::Generator(1)};
            first = pixels(buildShadeFaces(40, 17, 4, p).normal);
        }
        ScopedRandSource seq{classic_rand::Generator(1)};
        EXPECT_EQ(pixels(buildShadeFaces(40, 17, 4, p).normal), first) << "type " << type;
    }
}

struct NoiseCase {
    const char* name;
    unsigned type;
    int granularity;
    int low;
    int high;
};
ROW_NAME(NoiseCase, row.name);

class PlainNoise : public ::testing::TestWithParam<NoiseCase> {};

// Types 0 and anything above 8 are noise around index 128 within the
// granularity; granularity 0 leaves (almost) no noise at all.
TEST_P(PlainNoise, StaysWithinGranularityAroundTheFace) {
    const NoiseCase& c = GetParam();
    ScopedRandSource seq{classic_rand::Generator(12345)};
    ShadeParams p{c.type, static_cast<std::uint8_t>(c.granularity), 0, 0, 0};
    const std::vector<int> px = pixels(buildShadeFaces(60, 20, 4, p).normal);
    int lo = 255;
    int hi = 0;
    for (int v : px) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_GE(lo, c.low);
    EXPECT_LE(hi, c.high);
    if (c.granularity > 0) {
        EXPECT_LT(lo, 128);
        EXPECT_GT(hi, 128);
    }
}

const NoiseCase kNoise[] = {
    {"TypeZeroGranularityEight", 0, 8, 120, 136},
    {"TypeNineIsPlainNoise", 9, 8, 120, 136},
    {"TypeHundredIsPlainNoise", 100, 3, 125, 131},
    {"GranularityZeroIsFlat", 0, 0, 128, 129},
};
INSTANTIATE_TEST_SUITE_P(Types, PlainNoise, ::testing::ValuesIn(kNoise), CaseName());

TEST(ShadeFaces, StrokesStartingOnTheFarEdgeStayInsideTheBitmap) {
    // Every stroke starts at x0 = 32767 / (32767 / w) = w, one column right of
    // the bitmap, on the top row, with half length 2 and index 40; then the
    // shading pass adds no noise. The stroke's first point (w, 0) lies outside
    // and must not land on the next row's first pixel.
    const int w = 4;
    const int h = 8;
    const int g = 8;
    int calls = 0;
    ScopedRandSource script([&] {
        const int c = calls++;
        if (c >= 200 * 4) {
            return 0;
        }
        const int stroke[] = {32767, 0, 32767, 32767};
        return stroke[c % 4];
    });
    CxDib dib;
    ASSERT_TRUE(dib.Create(w, h));
    fillShadePattern(dib, 8, g);

    const int k = ((255 - g) - g - 40) / 2;
    auto shading = [&](int x, int y) {
        const int r = h - 1 - y;
        return k * r / h + (w - x) * k / w;
    };
    EXPECT_EQ(dib.GetPixelIndex(0, 1), shading(0, 1));
    EXPECT_EQ(dib.GetPixelIndex(3, 1), 40 + shading(3, 1));  // the stroke's second point
}

}  // namespace
