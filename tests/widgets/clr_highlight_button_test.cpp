#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

#include "button_events.h"
#include "controls/clr_button.h"
#include "controls/highlight_button.h"
#include "controls/looks.h"
#include "tests/support/row_names.h"

namespace {

using namespace button_events;
using looks::SysColor;
using looks::sysColor;

constexpr int kW = 80;
constexpr int kH = 24;
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlack = qRgb(0, 0, 0);

QRgb sys(SysColor c) {
    return sysColor(c).rgb();
}

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<QWidget>();
        dialog->resize(300, 200);
        dialog->show();
    }
    template <class Button>
    Button* make(const QString& text = QString()) {
        auto* b = new Button(text, dialog.get());
        b->setGeometry(10, 10, kW, kH);
        b->show();
        return b;
    }

  public:
    void focus(QWidget* w) {
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        w->setFocus();
        ASSERT_TRUE(w->hasFocus());
    }

  protected:
    std::unique_ptr<QWidget> dialog;
};

// Pixels of a red CClrButton per state: face centre, the outer and inner
// ring corners, and the focus rectangle 4 pixels inside.
struct ClrCase {
    const char* name;
    std::function<void(CClrButton*, ButtonTest*)> state;
    std::vector<std::pair<QPoint, QRgb>> expected;
};
ROW_NAME(ClrCase, row.name);

class ClrButtonPixels : public ButtonTest, public ::testing::WithParamInterface<ClrCase> {};

TEST_P(ClrButtonPixels, MatchTheState) {
    CClrButton* b = make<CClrButton>();
    b->SetColors(0x000000, 0x0000FF, 0x00FF00);
    GetParam().state(b, this);
    const QImage img = render(b);
    for (const auto& [at, rgb] : GetParam().expected) {
        EXPECT_EQ(img.pixel(at), rgb) << "at " << at.x() << "," << at.y() << " got "
                                      << rgbText(img.pixel(at)) << " want " << rgbText(rgb);
    }
}

const QPoint kCentre(kW / 2, kH / 2);
const QPoint kOuter(0, 0);
const QPoint kInner(1, 1);
const QPoint kOuterFar(kW - 1, kH - 1);
const QPoint kInnerFar(kW - 2, kH - 2);
const QPoint kTopRight(kW - 1, 0);

const ClrCase kClrCases[] = {
    {"NormalIsRaised",
     [](CClrButton*, ButtonTest*) {},
     {{kCentre, kRed},
      {kOuter, sys(SysColor::BtnHighlight)},
      {kInner, sys(SysColor::Light3D)},
      {kOuterFar, sys(SysColor::DkShadow3D)},
      {kInnerFar, sys(SysColor::BtnShadow)},
      {kTopRight, sys(SysColor::DkShadow3D)},
      {QPoint(4, 4), kRed}}},
    {"PressedIsSunkenOnly",
     [](CClrButton* b, ButtonTest*) { b->setDown(true); },
     {{kCentre, kRed},
      {kOuter, sys(SysColor::DkShadow3D)},
      {kInner, sys(SysColor::BtnShadow)},
      {kOuterFar, sys(SysColor::DkShadow3D)},
      {kInnerFar, sys(SysColor::BtnShadow)}}},
    {"FocusedHasOutlineRaisedAndDottedRectangle",
     [](CClrButton* b, ButtonTest* t) { t->focus(b); },
     {{kCentre, kRed},
      {kOuter, kBlack},
      {kOuterFar, kBlack},
      {kInner, sys(SysColor::BtnHighlight)},
      {QPoint(2, 2), sys(SysColor::Light3D)},
      {QPoint(kW - 2, kH - 2), sys(SysColor::DkShadow3D)},
      {QPoint(4, 4), qRgb(0, 255, 255)},
      {QPoint(5, 4), kRed},
      {QPoint(6, 4), qRgb(0, 255, 255)},
      {QPoint(kW - 6, kH - 5), qRgb(0, 255, 255)},
      {QPoint(kW - 5, 6), qRgb(0, 255, 255)}}},
    {"DefaultHasTheOutlineWithoutFocus",
     [](CClrButton* b, ButtonTest*) { b->setDefault(true); },
     {{kOuter, kBlack}, {kInner, sys(SysColor::BtnHighlight)}, {QPoint(4, 4), kRed}}},
    {"DisabledShowsTheDisabledFace",
     [](CClrButton* b, ButtonTest*) { b->setEnabled(false); },
     {{kCentre, kGreen}, {kOuter, sys(SysColor::BtnHighlight)}}},
    {"EnabledAgainShowsTheFaceWithoutAColourCall",
     [](CClrButton* b, ButtonTest*) {
         b->setEnabled(false);
         (void)render(b);
         b->setEnabled(true);
     },
     {{kCentre, kRed}}},
    {"TwoColourFormResetsTheDisabledFace",
     [](CClrButton* b, ButtonTest*) {
         b->SetColor(0x000000, 0x0000FF);
         b->setEnabled(false);
     },
     {{kCentre, sys(SysColor::BtnFace)}}},
    {"ResetColorsGoesBackToTheSystemColours",
     [](CClrButton* b, ButtonTest*) { b->ResetColors(); },
     {{kCentre, sys(SysColor::BtnFace)}}},
};
INSTANTIATE_TEST_SUITE_P(States, ClrButtonPixels, ::testing::ValuesIn(kClrCases), CaseName());

bool contains(const QImage& img, QRgb rgb) {
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == rgb) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(ButtonTest, ClrButtonTextIsEngravedWhenDisabledAndInTheTextColourOtherwise) {
    CClrButton* b = make<CClrButton>("Abort TX!");
    b->SetColors(0x0000FF, 0x00FF00);
    const QImage enabled = render(b);
    EXPECT_TRUE(contains(enabled, kRed));
    b->setEnabled(false);
    b->SetColors(0x0000FF, 0x00FF00, 0x000000);
    const QImage disabled = render(b);
    EXPECT_FALSE(contains(disabled, kRed));
    EXPECT_TRUE(contains(disabled, qRgb(0x80, 0x80, 0x80)));
    // The white copy shows on the black disabled face (the frame has no white
    // below the top-left ring).
    bool whiteInside = false;
    for (int y = 3; y < kH - 3 && !whiteInside; ++y) {
        for (int x = 3; x < kW - 3 && !whiteInside; ++x) {
            whiteInside = disabled.pixel(x, y) == qRgb(255, 255, 255);
        }
    }
    EXPECT_TRUE(whiteInside);
}

class HighlightTest : public ButtonTest {};

TEST_F(HighlightTest, HoverFillsYellowUntilTheFirstTickAfterLeaving) {
    CHighLightButton* b = make<CHighLightButton>();
    EXPECT_EQ(render(b).pixel(kCentre), sys(SysColor::BtnFace));
    enter(b);
    EXPECT_TRUE(b->IsHovered());
    EXPECT_TRUE(b->HoverTimer().isActive());
    EXPECT_EQ(b->HoverTimer().interval(), 100);
    EXPECT_EQ(render(b).pixel(kCentre), qRgb(255, 255, 0));
    EXPECT_EQ(render(b).pixel(1, 1), sys(SysColor::BtnHighlight)) << "raised push frame";

    leave(b);
    EXPECT_TRUE(b->IsHovered()) << "still lit until the timer looks";
    ASSERT_TRUE(QTest::qWaitFor([b] { return !b->IsHovered(); }, 1000));
    EXPECT_FALSE(b->HoverTimer().isActive());
    EXPECT_EQ(render(b).pixel(kCentre), sys(SysColor::BtnFace));
}

TEST_F(HighlightTest, TickWhileTheCursorIsInsideKeepsTheHover) {
    CHighLightButton* b = make<CHighLightButton>();
    move(b, QPoint(5, 5));
    EXPECT_TRUE(b->IsHovered());
    QTest::qWait(250);
    EXPECT_TRUE(b->IsHovered());
}

TEST_F(HighlightTest, PressedButtonHasTheSunkenFrame) {
    CHighLightButton* b = make<CHighLightButton>("F1");
    b->setDown(true);
    EXPECT_EQ(render(b).pixel(0, 0), sys(SysColor::BtnShadow));
}

TEST_F(HighlightTest, ForegroundNoticeOnceWhenTheHoverStarts) {
    CHighLightTTButton* b = make<CHighLightTTButton>("F1");
    QWidget window;
    b->SetNotifyWindow(&window);
    QSignalSpy notices(b, &CHighLightTTButton::moveWinForeground);

    enter(b);
    EXPECT_EQ(notices.count(), 0) << "queued after the event";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(notices.count(), 1);

    // Repaints and moves while hovered send nothing more.
    for (int i = 0; i < 5; ++i) {
        b->repaint();
        move(b, QPoint(5 + i, 5));
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(notices.count(), 1);

    leave(b);
    ASSERT_TRUE(QTest::qWaitFor([b] { return !b->IsHovered(); }, 1000));
    enter(b);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(notices.count(), 2) << "a new hover sends a new notice";
}

TEST_F(HighlightTest, NoNotifyWindowNoNotice) {
    CHighLightTTButton* b = make<CHighLightTTButton>("F2");
    QSignalSpy notices(b, &CHighLightTTButton::moveWinForeground);
    enter(b);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(b->IsHovered());
    EXPECT_EQ(notices.count(), 0);

    auto window = std::make_unique<QWidget>();
    b->SetNotifyWindow(window.get());
    window.reset();
    leave(b);
    ASSERT_TRUE(QTest::qWaitFor([b] { return !b->IsHovered(); }, 1000));
    enter(b);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(notices.count(), 0) << "a deleted window gets nothing";
}

TEST_F(HighlightTest, TooltipTextAndActivation) {
    CHighLightTTButton* b = make<CHighLightTTButton>("F3");
    b->ActivateTooltip(true);
    EXPECT_TRUE(b->toolTip().isEmpty()) << "no tool yet";
    b->SetTooltipText(nullptr);
    EXPECT_TRUE(b->toolTip().isEmpty());

    const QString tip = "CQ CQ DE N0CALL";
    b->SetTooltipText(&tip);
    EXPECT_EQ(b->toolTip(), tip);
    b->SetTooltipText(nullptr);
    EXPECT_EQ(b->toolTip(), tip) << "a null text changes nothing";
    b->ActivateTooltip(false);
    EXPECT_TRUE(b->toolTip().isEmpty());
    b->ActivateTooltip(true);
    EXPECT_EQ(b->toolTip(), tip);
    const QString other = "TEST";
    b->SetTooltipText(&other, false);
    EXPECT_TRUE(b->toolTip().isEmpty());
}

}  // namespace
