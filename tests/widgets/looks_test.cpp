#include "controls/looks.h"

#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <string>

namespace {

struct ColorCase {
    const char* name;
    COLORREF ref;
    int r, g, b;
};
ROW_NAME(ColorCase, row.name);

class ColorRefTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorRefTest, LowByteIsRed) {
    const ColorCase& c = GetParam();
    EXPECT_EQ(looks::toQColor(c.ref), QColor(c.r, c.g, c.b));
    EXPECT_EQ(looks::fromQColor(QColor(c.r, c.g, c.b)), c.ref & 0xFFFFFF);
    EXPECT_EQ(looks::rgb(c.r, c.g, c.b), c.ref & 0xFFFFFF);
}

const ColorCase kColorCases[] = {
    {"ApplicationColor", 0xDFB880, 128, 184, 223},
    {"Red", 0x0000FF, 255, 0, 0},
    {"Yellow", 0x00FFFF, 255, 255, 0},
    {"Blue", 0xFF0000, 0, 0, 255},
    {"LedGreen", 0x00FF00, 0, 255, 0},
    {"TopByteIgnored", 0x7F123456, 0x56, 0x34, 0x12},
};

INSTANTIATE_TEST_SUITE_P(Table, ColorRefTest, ::testing::ValuesIn(kColorCases), CaseName());

TEST(SysColorTest, ClassicTableWhateverTheStyle) {
    using looks::SysColor;
    const struct {
        SysColor which;
        QColor expected;
    } rows[] = {
        {SysColor::BtnFace, QColor(212, 208, 200)},
        {SysColor::Light3D, QColor(212, 208, 200)},
        {SysColor::BtnShadow, QColor(128, 128, 128)},
        {SysColor::DkShadow3D, QColor(64, 64, 64)},
        {SysColor::BtnHighlight, QColor(255, 255, 255)},
        {SysColor::BtnText, QColor(0, 0, 0)},
        {SysColor::WindowText, QColor(0, 0, 0)},
        {SysColor::GrayText, QColor(128, 128, 128)},
        {SysColor::Window, QColor(255, 255, 255)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(looks::sysColor(row.which), row.expected) << static_cast<int>(row.which);
        EXPECT_EQ(looks::toQColor(looks::sysColorRef(row.which)), row.expected);
    }
}

struct DluCase {
    const char* name;
    QRect dlu;
    QRect pixels;
};
ROW_NAME(DluCase, row.name);

class DluTest : public ::testing::TestWithParam<DluCase> {};

TEST_P(DluTest, ConvertsByCorners) {
    EXPECT_EQ(looks::dluToPixels(GetParam().dlu), GetParam().pixels);
}

const DluCase kDluCases[] = {
    {"WholeDialog", QRect(0, 0, 479, 252), QRect(0, 0, 719, 410)},
    // 46 px high when the height is converted on its own.
    {"VfoAEdit", QRect(199, 94, 122, 28), QRect(299, 153, 183, 45)},
    {"Button", QRect(405, 224, 62, 17), QRect(608, 364, 93, 28)},
    {"SmallLabel", QRect(78, 29, 38, 12), QRect(117, 47, 57, 20)},
    {"Banner", QRect(331, 21, 132, 30), QRect(497, 34, 198, 49)},
    {"NegativeHalvesAwayFromZero", QRect(-1, -4, 2, 8), QRect(-2, -7, 4, 14)},
};

INSTANTIATE_TEST_SUITE_P(Table, DluTest, ::testing::ValuesIn(kDluCases), CaseName());

TEST(DluTest, SizeConvertsAsRectangleAtOrigin) {
    EXPECT_EQ(looks::dluToPixels(QSize(479, 252)), QSize(719, 410));
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndRefusesZeroDivisor) {
    EXPECT_EQ(looks::mulDiv(3, 1, 2), 2);
    EXPECT_EQ(looks::mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(looks::mulDiv(3, 1, -2), -2);
    EXPECT_EQ(looks::mulDiv(5, 1, 3), 2);
    EXPECT_EQ(looks::mulDiv(0x40000000, 4, 8), 0x20000000);  // no 32-bit overflow
    EXPECT_EQ(looks::mulDiv(7, 1, 0), -1);
}

class FontTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { looks::loadApplicationFonts(); }
};

TEST_F(FontTest, EachDialogFaceResolvesToPackagedFontOrNamedSubstitute) {
    const struct {
        const char* face;
        const char* packaged;
        const char* substitute;
    } rows[] = {
        {"Tahoma", "Tahoma", "DejaVu Sans"},
        {"MS Sans Serif", "MS Sans Serif", "DejaVu Sans"},
        {"Times New Roman", "Liberation Serif", "DejaVu Serif"},
        {"Courier New", "Liberation Mono", "DejaVu Sans Mono"},
    };
    for (const auto& row : rows) {
        const QString family = looks::resolvedFamily(QLatin1String(row.face));
        // Shown in the test log so the machine's choice can be read there.
        std::printf("%s -> %s\n", row.face, qPrintable(family));
        RecordProperty(row.face, family.toStdString());
        EXPECT_TRUE(family == QLatin1String(row.packaged) ||
                    family == QLatin1String(row.substitute))
            << row.face << " resolved to " << family.toStdString();
    }
}

// Not in the fixture: ctest runs every test in its own process, so here the
// packaged faces have not been loaded yet.
TEST(FontLoaderTest, FacesMissingFromTheFoldersFallBackToDejaVu) {
    const bool hadTahoma = QFontDatabase::hasFamily(QStringLiteral("Tahoma"));
    const looks::FontLoadResult result = looks::loadApplicationFonts({});
    EXPECT_TRUE(result.loadedFiles.isEmpty());
    if (!hadTahoma) {
        EXPECT_TRUE(result.substitutedFaces.contains(QStringLiteral("Tahoma")));
    }
    for (const looks::FaceSubstitute& entry : looks::kDialogFaces) {
        const QString face = QLatin1String(entry.face);
        if (result.substitutedFaces.contains(face)) {
            EXPECT_EQ(looks::resolvedFamily(face), QLatin1String(entry.substitute)) << entry.face;
        }
    }
}

TEST_F(FontTest, NegativeHeightIsCharacterHeight) {
    const QFont font = looks::makeFont({QStringLiteral("Tahoma"), -36, 700, true, true, 0});
    EXPECT_EQ(font.pixelSize(), 36);
    EXPECT_EQ(font.pointSize(), -1);  // pixel sizes only
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
}

TEST_F(FontTest, PositiveHeightIsLargestSizeWhoseCellFits) {
    for (int height : {8, 12, 14, 20}) {
        const QFont font =
            looks::makeFont({QStringLiteral("Tahoma"), height, 400, false, false, 0});
        EXPECT_LE(QFontMetrics(font).height(), height) << height;
        QFont bigger = font;
        bigger.setPixelSize(font.pixelSize() + 1);
        EXPECT_GT(QFontMetrics(bigger).height(), height) << height;
    }
}

TEST_F(FontTest, ZeroHeightIsDefaultDialogSize) {
    EXPECT_EQ(looks::makeFont({QStringLiteral("Tahoma"), 0, 0, false, false, 0}).pixelSize(),
              looks::kDefaultFontPixelSize);
}

TEST(FontWeightTest, MapsHundredsAndClamps) {
    const struct {
        int weight;
        QFont::Weight expected;
    } rows[] = {
        {0, QFont::Normal},     {100, QFont::Thin},   {200, QFont::ExtraLight},
        {300, QFont::Light},    {400, QFont::Normal}, {500, QFont::Medium},
        {600, QFont::DemiBold}, {700, QFont::Bold},   {800, QFont::ExtraBold},
        {900, QFont::Black},    {1000, QFont::Black}, {640, QFont::DemiBold},
        {-5, QFont::Normal},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(looks::fontWeight(row.weight), row.expected) << row.weight;
    }
}

TEST(BeepTest, HookReceivesBeepsUntilReset) {
    int beeps = 0;
    looks::setBeepHook([&beeps] { ++beeps; });
    looks::beep();
    looks::beep();
    looks::setBeepHook({});
    looks::beep();  // back to the default, which must not reach the old hook
    EXPECT_EQ(beeps, 2);
}

}  // namespace
