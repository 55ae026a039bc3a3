#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>

#include "button_events.h"
#include "controls/cx_shade_button.h"
#include "controls/dialog_group.h"
#include "controls/looks.h"
#include "tests/support/row_names.h"

namespace {

using namespace button_events;

constexpr COLORREF kRed = 0x0000FF;

QPixmap solid(QColor color, int size = 16) {
    QPixmap p(size, size);
    p.fill(color);
    return p;
}

// A shown dialog with front-panel sized buttons (93 x 28).
class ShadeButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<QWidget>();
        dialog->resize(400, 200);
        dialog->show();
    }

    CxShadeButton* make(unsigned style = 0, const QString& text = QString()) {
        auto* b = new CxShadeButton(text, dialog.get(), style);
        b->setGeometry(10, 10, 93, 28);
        b->show();
        return b;
    }

    std::unique_ptr<QWidget> dialog;
};

TEST_F(ShadeButtonTest, StyleChoosesKindAndPushLike) {
    EXPECT_EQ(make(0)->GetKind(), CxShadeButton::kPushButton);
    EXPECT_TRUE(make(0)->IsPushLike());
    CxShadeButton* check = make(CxShadeButton::kStyleAutoCheckBox);
    EXPECT_EQ(check->GetKind(), CxShadeButton::kCheckBox);
    EXPECT_FALSE(check->IsPushLike());
    CxShadeButton* radio = make(CxShadeButton::kStyleAutoRadioButton |
                                CxShadeButton::kStylePushLike | CxShadeButton::kStyleFlat);
    EXPECT_EQ(radio->GetKind(), CxShadeButton::kRadioButton);
    EXPECT_TRUE(radio->IsPushLike());
    EXPECT_TRUE(radio->IsFlat());
}

TEST_F(ShadeButtonTest, CheckingARadioUnchecksTheOthersAtOnce) {
    DialogGroup group;
    CxShadeButton* a = make(CxShadeButton::kStyleAutoRadioButton);
    CxShadeButton* b = make(CxShadeButton::kStyleAutoRadioButton);
    CxShadeButton* c = make(CxShadeButton::kStyleAutoRadioButton);
    for (CxShadeButton* r : {a, b, c}) {
        group.add(r);
        r->SetGroup(&group);
    }
    a->SetToolTipText("A", "A on");
    a->SetCheck(1);
    EXPECT_EQ(a->toolTip(), "A on");
    b->SetCheck(1);
    // No event loop in between: the other members are already unchecked.
    EXPECT_EQ(a->GetCheck(), 0);
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_EQ(c->GetCheck(), 0);
    EXPECT_EQ(a->toolTip(), "A");

    // A click on the third member moves the check there.
    click(c, QPoint(40, 14));
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(c->GetCheck(), 1);
}

TEST_F(ShadeButtonTest, RadioOutsideAnyGroupOnlyChecksItself) {
    CxShadeButton* a = make(CxShadeButton::kStyleAutoRadioButton);
    CxShadeButton* b = make(CxShadeButton::kStyleAutoRadioButton);
    a->SetCheck(1);
    b->SetCheck(1);
    EXPECT_EQ(a->GetCheck(), 1);
    EXPECT_EQ(b->GetCheck(), 1);
}

TEST_F(ShadeButtonTest, ClicksAndSpaceToggleCheckBoxesAndSetRadios) {
    CxShadeButton* check = make(CxShadeButton::kStyleAutoCheckBox);
    QSignalSpy clicked(check, &QAbstractButton::clicked);
    click(check, QPoint(40, 14));
    EXPECT_EQ(check->GetCheck(), 1);
    click(check, QPoint(40, 14));
    EXPECT_EQ(check->GetCheck(), 0);
    EXPECT_EQ(clicked.count(), 2);

    QTest::keyClick(check, Qt::Key_Space);
    EXPECT_EQ(check->GetCheck(), 1);
    QTest::keyClick(check, Qt::Key_Space);
    EXPECT_EQ(check->GetCheck(), 0);

    CxShadeButton* radio = make(CxShadeButton::kStyleAutoRadioButton);
    QTest::keyClick(radio, Qt::Key_Space);
    EXPECT_EQ(radio->GetCheck(), 1);
    QTest::keyClick(radio, Qt::Key_Space);
    EXPECT_EQ(radio->GetCheck(), 1);
    click(radio, QPoint(40, 14));
    EXPECT_EQ(radio->GetCheck(), 1);
}

TEST_F(ShadeButtonTest, PushButtonNeverStaysChecked) {
    CxShadeButton* push = make(0);
    QSignalSpy clicked(push, &QAbstractButton::clicked);
    push->SetCheck(1);
    EXPECT_EQ(push->GetCheck(), 0);
    click(push, QPoint(40, 14));
    QTest::keyClick(push, Qt::Key_Space);
    EXPECT_EQ(push->GetCheck(), 0);
    EXPECT_EQ(clicked.count(), 2);

    // A check box turned into a push button loses its check.
    CxShadeButton* check = make(CxShadeButton::kStyleAutoCheckBox);
    check->SetCheck(1);
    check->SetButtonStyle(0);
    EXPECT_EQ(check->GetKind(), CxShadeButton::kPushButton);
    EXPECT_EQ(check->GetCheck(), 0);
}

TEST_F(ShadeButtonTest, DragOffReleasesThePushedLookAndReleaseOutsideDoesNotClick) {
    CxShadeButton* check = make(CxShadeButton::kStyleAutoCheckBox);
    QSignalSpy clicked(check, &QAbstractButton::clicked);
    press(check, QPoint(40, 14));
    EXPECT_TRUE(check->isDown());
    move(check, QPoint(200, 14), Qt::LeftButton);
    EXPECT_FALSE(check->isDown());
    move(check, QPoint(41, 15), Qt::LeftButton);
    EXPECT_TRUE(check->isDown());
    move(check, QPoint(200, 14), Qt::LeftButton);
    release(check, QPoint(200, 14));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(check->GetCheck(), 0);
}

TEST_F(ShadeButtonTest, ToolTipShowsTheCheckedTextOnlyWhileCheckedAndNotEmpty) {
    CxShadeButton* check = make(CxShadeButton::kStyleAutoCheckBox);
    check->SetCheck(1);
    EXPECT_TRUE(check->toolTip().isEmpty()) << "no tooltip before SetToolTipText";
    check->SetToolTipText("Audio Filter", "Filter on");
    EXPECT_EQ(check->toolTip(), "Filter on");
    check->SetCheck(0);
    EXPECT_EQ(check->toolTip(), "Audio Filter");
    check->SetToolTipText("Audio Filter", QString());
    check->SetCheck(1);
    EXPECT_EQ(check->toolTip(), "Audio Filter");
}

struct IconCase {
    const char* name;
    int alignment;
    QRect expected;
};
ROW_NAME(IconCase, row.name);

class ShadeButtonIcon : public ShadeButtonTest, public ::testing::WithParamInterface<IconCase> {};

TEST_P(ShadeButtonIcon, SixteenPixelIconInAFrontPanelButton) {
    CxShadeButton* b = make(0);
    b->SetIcon(solid(Qt::red), GetParam().alignment);
    EXPECT_EQ(b->IconRect(), GetParam().expected);
}

const IconCase kIcons[] = {
    {"Left", CxShadeButton::kIconLeft, QRect(4, 6, 16, 16)},
    {"Right", CxShadeButton::kIconRight, QRect(73, 6, 16, 16)},
    // Centred icons sit in the top half, the text below them.
    {"Centre", CxShadeButton::kIconCenter, QRect(38, 0, 16, 16)},
    {"AnyOtherValueIsCentre", 0, QRect(38, 0, 16, 16)},
};
INSTANTIATE_TEST_SUITE_P(Alignments, ShadeButtonIcon, ::testing::ValuesIn(kIcons), CaseName());

TEST_F(ShadeButtonTest, IconThatDidNotLoadMeansNoIcon) {
    CxShadeButton* b = make(0);
    b->SetIcon(solid(Qt::red), CxShadeButton::kIconLeft);
    b->SetIcon(QPixmap(), CxShadeButton::kIconLeft, solid(Qt::blue));
    EXPECT_TRUE(b->IconRect().isEmpty());
    const QImage img = render(b);
    EXPECT_NE(img.pixel(12, 14), qRgb(0, 0, 255));
}

TEST_F(ShadeButtonTest, MissingPressedAndHoverIconsFallBackToTheNormalOneAndDisabledIsGrey) {
    CxShadeButton* b = make(CxShadeButton::kStyleAutoCheckBox);
    b->SetShade(0, 0, 10, 5, 0x37FF37);
    b->SetIcon(solid(Qt::red), CxShadeButton::kIconLeft);
    const QPoint centre = b->IconRect().center();
    EXPECT_EQ(render(b).pixel(centre), qRgb(255, 0, 0)) << "normal";
    enter(b);
    EXPECT_EQ(render(b).pixel(centre), qRgb(255, 0, 0)) << "hover";
    b->SetCheck(1);
    EXPECT_EQ(render(b).pixel(centre), qRgb(255, 0, 0)) << "checked";
    b->setEnabled(false);
    const QRgb grey = render(b).pixel(centre);
    EXPECT_EQ(grey, looks::sysColor(looks::SysColor::BtnShadow).rgb()) << rgbText(grey);
}

// Type 0 without noise on a palette tinted fully to red: every face pixel is
// the palette's one colour, so each state shows which face it drew.
struct FaceCase {
    const char* name;
    unsigned style;
    void (*act)(CxShadeButton*);
    QRgb expected;
};
ROW_NAME(FaceCase, row.name);

class ShadeButtonFace : public ShadeButtonTest, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(ShadeButtonFace, CentrePixelShowsTheFaceOfTheState) {
    CxShadeButton* b = make(GetParam().style);
    b->SetShade(0, 0, 50, 100, kRed);
    GetParam().act(b);
    const QRgb p = render(b).pixel(46, 8);
    EXPECT_EQ(p, GetParam().expected) << rgbText(p);
}

const QRgb kRedFace = qRgb(255, 0, 0);
const QRgb kHoverFace = qRgb(255, 127, 127);  // red half way to white
const FaceCase kFaces[] = {
    {"Normal", 0, [](CxShadeButton*) {}, kRedFace},
    {"Hover", 0, [](CxShadeButton* b) { enter(b); }, kHoverFace},
    {"HoverEndsOnLeave", 0,
     [](CxShadeButton* b) {
         enter(b);
         leave(b);
     },
     kRedFace},
    {"Pressed", 0, [](CxShadeButton* b) { press(b, QPoint(40, 14)); }, kHoverFace},
    {"Checked", CxShadeButton::kStyleAutoCheckBox, [](CxShadeButton* b) { b->SetCheck(1); },
     kHoverFace},
    {"Disabled", 0, [](CxShadeButton* b) { b->setEnabled(false); }, kRedFace},
};
INSTANTIATE_TEST_SUITE_P(States, ShadeButtonFace, ::testing::ValuesIn(kFaces), CaseName());

TEST_F(ShadeButtonTest, WithoutFacesTheButtonFillsWithTheFaceColour) {
    CxShadeButton* b = make(0);
    EXPECT_FALSE(b->HasFaces());
    EXPECT_EQ(render(b).pixel(46, 8), looks::sysColor(looks::SysColor::BtnFace).rgb());
}

TEST_F(ShadeButtonTest, ResizeRebuildsTheFacesWithTheSameShade) {
    CxShadeButton* b = make(0);
    b->SetShade(0, 0, 50, 100, kRed);
    ASSERT_EQ(b->Faces().normal.GetWidth(), 93);
    b->resize(150, 40);
    EXPECT_EQ(b->Faces().normal.GetWidth(), 150);
    EXPECT_EQ(b->Faces().normal.GetHeight(), 40);
    EXPECT_EQ(render(b).pixel(140, 20), kRedFace);
}

TEST_F(ShadeButtonTest, ShadeSetBeforeLayoutWaitsForASize) {
    CxShadeButton* b = make(0);
    b->resize(0, 0);
    b->SetShade(7, 8, 10, 5, 0x37FF37);
    EXPECT_FALSE(b->HasFaces());
    b->repaint();
    b->resize(5, 1);
    EXPECT_EQ(b->Faces().normal.GetWidth(), 5);
    EXPECT_EQ(b->Faces().normal.GetHeight(), 1);
    b->resize(93, 28);
    EXPECT_EQ(b->Faces().hover.GetWidth(), 93);
    (void)render(b);
}

TEST_F(ShadeButtonTest, FocusDrawsTheDottedLinesInsideTheMargin) {
    CxShadeButton* b = make(0);
    b->SetShade(0, 0, 50, 100, kRed);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    const QImage img = render(b);
    const QRgb shadow = looks::sysColor(looks::SysColor::BtnShadow).rgb();
    const QRgb light = looks::sysColor(looks::SysColor::BtnHighlight).rgb();
    // Top line from (5, 4), bottom line at y = 28 - 4, left line from (4, 5).
    EXPECT_EQ(img.pixel(5, 4), shadow);
    EXPECT_EQ(img.pixel(6, 4), light);
    EXPECT_EQ(img.pixel(5, 24), shadow);
    EXPECT_EQ(img.pixel(4, 6), light);
    EXPECT_EQ(img.pixel(46, 8), kRedFace);

    b->setEnabled(false);
    EXPECT_EQ(render(b).pixel(5, 4), kRedFace) << "no focus lines when disabled";
}

TEST_F(ShadeButtonTest, TextColourAndFontAreTheButtonsOwn) {
    CxShadeButton* b = make(0, "CW");
    EXPECT_EQ(b->SetTextColor(0x0000FF), looks::sysColorRef(looks::SysColor::BtnText));
    EXPECT_EQ(b->GetFont(), nullptr);
    EXPECT_TRUE(b->SetTextFont("Courier New but with a much longer face name", 16, 600));
    ASSERT_NE(b->GetFont(), nullptr);
    EXPECT_EQ(b->GetFont()->face.size(), 31);
    EXPECT_EQ(b->GetFont()->height, 16);
    EXPECT_FALSE(b->SetFont(nullptr));
    EXPECT_EQ(b->GetFont()->height, 16);

    b->SetShade(0, 0, 0, 100, 0xFFFFFF);
    const QImage img = render(b);
    bool redText = false;
    for (int y = 0; y < img.height() && !redText; ++y) {
        for (int x = 0; x < img.width() && !redText; ++x) {
            redText = img.pixel(x, y) == qRgb(255, 0, 0);
        }
    }
    EXPECT_TRUE(redText);
}

}  // namespace
