// Where a window that follows the front panel opens, for stored panel
// rectangles, window sizes and screens.

#include <gtest/gtest.h>

#include "client/panel/panel_placement.h"

namespace {

struct PlaceCase {
    const char* name;
    StoredWindowRect stored;
    QSize size;
    WhenPanelSmaller whenSmaller;
    QRect expected;
};

const QRect kScreen(0, 0, 1280, 1024);
const QRect kCurrent(100, 120, 400, 300);

const PlaceCase kRows[] = {
    {"UnderThePanelAtItsWidth",
     {10, 20, 730, 430},
     {400, 300},
     WhenPanelSmaller::Centre,
     QRect(10, 431, 720, 300)},
    {"WiderWindowKeepsItsWidth",
     {10, 20, 330, 430},
     {300, 300},
     WhenPanelSmaller::Centre,
     QRect(10, 431, 320, 300)},
    {"NarrowPanelCentres",
     {10, 20, 300, 430},
     {400, 300},
     WhenPanelSmaller::Centre,
     QRect(440, 362, 400, 300)},
    {"LowPanelCentres",
     {10, 20, 730, 200},
     {400, 300},
     WhenPanelSmaller::Centre,
     QRect(440, 362, 400, 300)},
    {"SmallPanelLeavesTheKeySwitchPanel",
     {10, 20, 300, 430},
     {400, 300},
     WhenPanelSmaller::Stay,
     kCurrent},
    // The panel in the bottom-right corner: under it is off the screen.
    {"PanelAtTheBottomRightCentres",
     {560, 600, 1280, 1010},
     {400, 300},
     WhenPanelSmaller::Centre,
     QRect(440, 362, 400, 300)},
    {"PartlyOffTheScreenCentresTheKeySwitchPanel",
     {900, 20, 1620, 430},
     {400, 300},
     WhenPanelSmaller::Stay,
     QRect(440, 362, 400, 300)},
};

class FollowerPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(FollowerPlacement, GoesUnderThePanelOrCentred) {
    const PlaceCase& row = GetParam();
    const QRect current(kCurrent.topLeft(), row.size);
    EXPECT_EQ(PlaceUnderPanel(row.stored, current, kScreen, {kScreen}, row.whenSmaller),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, FollowerPlacement, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FollowerPlacementScreens, ASecondScreenHoldsTheWindowAndCentringUsesThePanelsScreen) {
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    // Under a panel on the right screen: wholly on that screen, taken.
    EXPECT_EQ(PlaceUnderPanel({1300, 10, 2020, 420}, QRect(0, 0, 400, 300), right, {left, right},
                              WhenPanelSmaller::Centre),
              QRect(1300, 421, 720, 300));
    // Across both screens: centred on the panel's screen.
    EXPECT_EQ(PlaceUnderPanel({1000, 10, 1720, 420}, QRect(0, 0, 400, 300), right, {left, right},
                              WhenPanelSmaller::Centre),
              QRect(1280 + 760, 390, 400, 300));
}

}  // namespace

namespace {

struct BesideCase {
    const char* name;
    StoredWindowRect stored;
    QSize size;
    BesidePanel where;
    QRect expected;
};

const BesideCase kBesideRows[] = {
    {"EntryWindowBelowTheRightCorner",
     {10, 20, 730, 430},
     {300, 200},
     BesidePanel::BelowRight,
     QRect(731, 431, 300, 200)},
    {"LogWindowRightOfThePanelAtItsHeight",
     {10, 20, 730, 430},
     {300, 200},
     BesidePanel::Right,
     QRect(731, 20, 300, 410)},
    {"NarrowPanelLeavesTheEntryWindow",
     {10, 20, 200, 430},
     {300, 200},
     BesidePanel::BelowRight,
     QRect(100, 120, 300, 200)},
    {"LowPanelLeavesTheLogWindow",
     {10, 20, 730, 150},
     {300, 200},
     BesidePanel::Right,
     QRect(100, 120, 300, 200)},
    // The panel fills the screen's right half: beside it is off the screen.
    {"EntryWindowOffTheScreenCentres",
     {640, 500, 1280, 1000},
     {300, 200},
     BesidePanel::BelowRight,
     QRect(490, 412, 300, 200)},
    {"LogWindowOffTheScreenCentres",
     {900, 20, 1270, 430},
     {300, 200},
     BesidePanel::Right,
     QRect(490, 307, 300, 410)},
};

class BesidePlacement : public ::testing::TestWithParam<BesideCase> {};

TEST_P(BesidePlacement, GoesBesideThePanelOrStaysOrCentres) {
    const BesideCase& row = GetParam();
    const QRect current(QPoint(100, 120), row.size);
    EXPECT_EQ(PlaceBesidePanel(row.stored, current, row.where, kScreen, {kScreen}), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, BesidePlacement, ::testing::ValuesIn(kBesideRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(BelowWindowPlacement, EditorsOpenUnderTheLogWindowOrCentredOnItsScreen) {
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    EXPECT_EQ(PlaceBelowWindow(QRect(731, 20, 300, 410), {280, 240}, left, {left, right}),
              QRect(731, 431, 280, 240));
    // The log window low on the right screen: centred there, not on the first.
    EXPECT_EQ(PlaceBelowWindow(QRect(1400, 800, 300, 200), {280, 240}, right, {left, right}),
              QRect(2100, 420, 280, 240));
}

}  // namespace
