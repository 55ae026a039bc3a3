#include "client/cw/dock_geometry.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using cw::DockEdge;
using cw::WinRect;

const WinRect kPanel{100, 250, 700, 650};  // 600 x 400

TEST(CwDock, TheCwWindowIsHalfThePanelHigh) {
    EXPECT_EQ(cw::CwDockedSize(kPanel, 600), QSize(600, 200));
}

struct SlideCase {
    const char* name;
    WinRect docked;
    DockEdge edge;
    std::size_t steps;
    WinRect firstOut;  // behind the panel, one pixel showing
    WinRect lastOut;
    WinRect lastIn;  // behind the panel
};
ROW_NAME(SlideCase, row.name);

const SlideCase kSlides[] = {
    // Steps 0, 5, ... 200 (height 200 + 2).
    {"BelowSlidesDown",
     {100, 650, 700, 850},
     DockEdge::Bottom,
     41,
     {100, 451, 700, 651},
     {100, 651, 700, 851},
     {100, 450, 700, 650}},
    {"AboveSlidesUp",
     {100, 50, 700, 250},
     DockEdge::Top,
     41,
     {100, 249, 700, 449},
     {100, 49, 700, 249},
     {100, 250, 700, 450}},
    // Steps 0 ... 300 (width + 1).
    {"RightSlidesRight",
     {700, 250, 1000, 650},
     DockEdge::Right,
     61,
     {400, 250, 700, 650},
     {700, 250, 1000, 650},
     {400, 250, 700, 650}},
    {"LeftSlidesLeft",
     {-200, 250, 100, 650},
     DockEdge::Left,
     61,
     {100, 250, 400, 650},
     {-200, 250, 100, 650},
     {100, 250, 400, 650}},
};

class Slides : public ::testing::TestWithParam<SlideCase> {};

TEST_P(Slides, StartBehindThePanelAndStepFiveAPixelsAway) {
    const SlideCase& row = GetParam();
    const auto out = cw::SlideOutSteps(row.docked, row.edge);
    ASSERT_EQ(out.size(), row.steps);
    EXPECT_EQ(out.front(), row.firstOut);
    EXPECT_EQ(out.back(), row.lastOut);
    const auto in = cw::SlideInSteps(row.docked, row.edge);
    ASSERT_EQ(in.size(), row.steps);
    EXPECT_EQ(in.front(), row.docked);
    EXPECT_EQ(in.back(), row.lastIn);
    // Mid-slide only what lies beyond the panel's edge shows, the contents
    // shifted so that they move with the window.
    const WinRect mid = out[out.size() / 2];
    const cw::VisibleStep visible = cw::VisiblePart(mid, kPanel, row.edge);
    const bool overlapsPanel =
        visible.visible.left < kPanel.right && kPanel.left < visible.visible.right &&
        visible.visible.top < kPanel.bottom && kPanel.top < visible.visible.bottom;
    EXPECT_FALSE(overlapsPanel);
    EXPECT_GT(visible.visible.width() * visible.visible.height(), 0);
    EXPECT_EQ(QPoint(mid.left, mid.top) - visible.contentOffset,
              QPoint(visible.visible.left, visible.visible.top));
    // Docked, all of it shows.
    EXPECT_EQ(cw::VisiblePart(row.docked, kPanel, row.edge).visible, row.docked);
    EXPECT_EQ(cw::VisiblePart(row.docked, kPanel, row.edge).contentOffset, QPoint(0, 0));
    // Wholly behind the panel, none of it.
    EXPECT_EQ(cw::VisiblePart(row.lastIn, kPanel, row.edge).visible.width() *
                  cw::VisiblePart(row.lastIn, kPanel, row.edge).visible.height(),
              0);
}

INSTANTIATE_TEST_SUITE_P(Rows, Slides, ::testing::ValuesIn(kSlides), CaseName());

}  // namespace
