#include "client/cw/dock_geometry.h"

#include <gtest/gtest.h>

namespace {

using cw::WinRect;

const WinRect kPanel{100, 50, 700, 450};  // 600 x 400

TEST(CwDock, DocksBelowThePanelAtHalfItsHeight) {
    EXPECT_EQ(cw::CwDockedRect(kPanel, 600), (WinRect{100, 450, 700, 650}));
}

TEST(CwDock, SlideOutStartsBehindThePanelAndStepsDownByFive) {
    const auto steps = cw::CwSlideOutSteps(kPanel, 600);
    // Steps 0, 5, ... 200 (height 200 + 2).
    ASSERT_EQ(steps.size(), 41U);
    EXPECT_EQ(steps.front(), (WinRect{100, 251, 700, 451}));
    EXPECT_EQ(steps[1].top, 256);
    EXPECT_EQ(steps.back(), (WinRect{100, 451, 700, 651}));
}

TEST(CwDock, SlideInStartsDockedAndStepsUpByFive) {
    const auto steps = cw::CwSlideInSteps(kPanel, 600);
    ASSERT_EQ(steps.size(), 41U);
    EXPECT_EQ(steps.front(), cw::CwDockedRect(kPanel, 600));
    EXPECT_EQ(steps.back().top, 250);
}

TEST(MemoryKeysDock, DocksRightOfThePanelAtItsHeightAndSlidesRight) {
    EXPECT_EQ(cw::MemoryKeysDockedRect(kPanel, 300), (WinRect{700, 50, 1000, 450}));
    const auto out = cw::MemoryKeysSlideOutSteps(kPanel, 300);
    EXPECT_EQ(out.front(), (WinRect{400, 50, 700, 450}));
    EXPECT_EQ(out.back().left, 700);  // steps 0 ... 300 (width + 1)
    const auto in = cw::MemoryKeysSlideInSteps(kPanel, 300);
    EXPECT_EQ(in.front().left, 700);
    EXPECT_EQ(in.back().left, 400);
}

TEST(VisiblePartTest, OnlyWhatLiesOutsideThePanelShowsWithContentsShifted) {
    const auto below = cw::VisiblePart({100, 300, 700, 500}, kPanel);
    EXPECT_EQ(below.visible, (WinRect{100, 450, 700, 500}));
    EXPECT_EQ(below.contentOffset, QPoint(0, -150));

    const auto right = cw::VisiblePart({500, 50, 800, 450}, kPanel);
    EXPECT_EQ(right.visible, (WinRect{700, 50, 800, 450}));
    EXPECT_EQ(right.contentOffset, QPoint(-200, 0));

    const auto hidden = cw::VisiblePart({200, 100, 500, 300}, kPanel);
    EXPECT_EQ(hidden.visible.width(), 0);

    const auto docked = cw::VisiblePart(cw::CwDockedRect(kPanel, 600), kPanel);
    EXPECT_EQ(docked.visible, cw::CwDockedRect(kPanel, 600));
    EXPECT_EQ(docked.contentOffset, QPoint(0, 0));
}

}  // namespace
