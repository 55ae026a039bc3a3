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
