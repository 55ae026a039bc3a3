// The panel's controls where the layout table puts them, worked out by hand
// from the dialog-unit rectangles (x * 6 / 4 and y * 13 / 8 per corner,
// halves rounded up), and the looks the start-up gives them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>

#include <cstdlib>

#include "client/panel/front_panel_layout.h"
#include "client/panel/panel_icons.h"
#include "controls/clr_button.h"
#include "controls/cx_shade_button.h"
#include "controls/digi_marquee.h"
#include "controls/edit_ex.h"
#include "controls/static_ex.h"
#include "front_panel_fixture.h"
#include "tests/support/row_names.h"

using namespace front_panel;

namespace {

struct GeometryCase {
    const char* name;
    int id;
    QRect pixels;
};
ROW_NAME(GeometryCase, row.name);

const GeometryCase kGeometry[] = {
    {"VfoAEdit", IDC_VFOA, {299, 153, 183, 45}},
    {"ExitButton", IDOK, {608, 364, 93, 28}},
    {"CwModeButton", IDC_MODE_CW, {117, 47, 57, 20}},
    {"Banner", IDC_BANNER, {497, 34, 198, 49}},
    {"StatusLine", IDC_STATUS, {257, 364, 226, 28}},
    {"FirstSMeterLamp", IDC_LAMP_0, {354, 55, 12, 21}},
    {"NbIndicator", IDC_IND_NB, {497, 13, 24, 15}},
    {"PowerSlider", IDC_POWER_SLIDER, {195, 169, 39, 128}},
    // A combo box is 12 units high while closed: 201 -> 327, 213 -> 346.
    {"BandComboClosed", IDC_BAND_COMBO, {306, 327, 72, 19}},
    // Step buttons 28 x 14 units: (260, 154) -> 390, 250; (288, 168) -> 432, 273.
    {"MinusOneKilohertz", IDC_MINUS_1KHZ, {390, 250, 42, 23}},
};

class PanelGeometry : public FrontPanelFixture,
                      public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(PanelGeometry, ControlSitsAtItsPixelRectangle) {
    CK2FrontPanelControlDlg& panel = makePanel();
    const GeometryCase& row = GetParam();
    QWidget* widget = panel.control(row.id);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), row.pixels);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelGeometry, ::testing::ValuesIn(kGeometry), CaseName());

using PanelLooks = FrontPanelFixture;

TEST_F(PanelLooks, ClientAreaAndTitle) {
    CK2FrontPanelControlDlg& panel = makePanel();
    EXPECT_EQ(panel.size(), QSize(719, 410));
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Elecraft K2 Front Panel"));
    EXPECT_FALSE(panel.windowIcon().isNull());
    EXPECT_EQ(panel.font().pixelSize(), 11);
}

TEST_F(PanelLooks, EveryIdentifiedRowHasOneControl) {
    CK2FrontPanelControlDlg& panel = makePanel(false);
    for (const LayoutRow& row : layoutRows()) {
        if (row.id != IDC_STATIC) {
            EXPECT_NE(panel.control(row.id), nullptr) << row.id;
            EXPECT_EQ(findRow(row.id), &row) << "id " << row.id << " appears twice";
        }
    }
}

TEST_F(PanelLooks, FrequencyEditsAndIndicators) {
    CK2FrontPanelControlDlg& panel = makePanel();
    auto* vfoA = qobject_cast<CEditEx*>(panel.control(IDC_VFOA));
    auto* vfoB = qobject_cast<CEditEx*>(panel.control(IDC_VFOB));
    ASSERT_NE(vfoA, nullptr);
    ASSERT_NE(vfoB, nullptr);
    EXPECT_EQ(vfoA->font().pixelSize(), 36);
    EXPECT_EQ(vfoA->GetBkColor(), 0xF0CAA6u);
    EXPECT_EQ(vfoB->GetBkColor(), 0xC0C0C0u);
    EXPECT_TRUE(vfoA->isReadOnly());
    EXPECT_EQ(vfoA->text(), QStringLiteral("  28060.00"));
    EXPECT_EQ(vfoB->text(), QStringLiteral("  14060.00"));

    auto* ant2 = qobject_cast<CStaticEx*>(panel.control(IDC_IND_ANT2));
    ASSERT_NE(ant2, nullptr);
    EXPECT_EQ(ant2->text(), QStringLiteral("ANT2"));
    EXPECT_EQ(ant2->font().pixelSize(), 10);
    auto* connectTo = qobject_cast<CStaticEx*>(panel.control(IDC_CONNECT_TO));
    EXPECT_EQ(connectTo->text(), QStringLiteral("None"));
    EXPECT_EQ(connectTo->GetBkColor(), 0xC0C0C0u);

    EXPECT_EQ(qobject_cast<QLineEdit*>(panel.control(IDC_POWER))->text(), QStringLiteral("   0.0"));
    EXPECT_EQ(qobject_cast<CEditEx*>(panel.control(IDC_CW_SPEED))->text(), QStringLiteral("1"));
    EXPECT_EQ(qobject_cast<CEditEx*>(panel.control(IDC_RIT_VALUE))->text(), QStringLiteral("0"));
}

TEST_F(PanelLooks, ShadedButtonsCarryTheirShadesTipsAndIcons) {
    CK2FrontPanelControlDlg& panel = makePanel();
    auto* exitButton = qobject_cast<CxShadeButton*>(panel.control(IDOK));
    ASSERT_NE(exitButton, nullptr);
    EXPECT_TRUE(exitButton->HasFaces());
    EXPECT_EQ(exitButton->toolTip(), QStringLiteral("Exit Pelorin"));
    EXPECT_EQ(exitButton->IconRect().size(), QSize(28, 28));
    EXPECT_TRUE(exitButton->isDefault());

    auto* ritUp = qobject_cast<CxShadeButton*>(panel.control(IDC_RIT_UP));
    EXPECT_EQ(ritUp->IconRect().size(), QSize(22, 16));
    EXPECT_FALSE(ritUp->isEnabled()) << "RIT controls start disabled";

    auto* cw = qobject_cast<CxShadeButton*>(panel.control(IDC_CW_WINDOW));
    ASSERT_NE(cw->GetFont(), nullptr);
    EXPECT_EQ(cw->GetFont()->face, QStringLiteral("Courier New"));
    EXPECT_EQ(cw->GetFont()->height, 16);
    EXPECT_EQ(cw->GetFont()->weight, 600);
    for (const int id : kShadeSetupOrder) {
        auto* button = qobject_cast<CxShadeButton*>(panel.control(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->HasFaces()) << id;
        EXPECT_FALSE(button->toolTip().isEmpty()) << id;
    }
}

TEST_F(PanelLooks, SlidersCombosAndColourButtons) {
    m_store.WriteSelectedTuningRange(2);
    CK2FrontPanelControlDlg& panel = makePanel();
    auto* power = qobject_cast<QSlider*>(panel.control(IDC_POWER_SLIDER));
    EXPECT_EQ(power->orientation(), Qt::Vertical);
    EXPECT_EQ(power->maximum(), 150);
    EXPECT_EQ(power->value(), 150);
    auto* speed = qobject_cast<QSlider*>(panel.control(IDC_CW_SPEED_SLIDER));
    EXPECT_EQ(speed->value(), 9) << "a speed of 1 sits at the slider's bottom";
    EXPECT_EQ(qobject_cast<QSlider*>(panel.control(IDC_RIT_SLIDER))->value(), 1000);

    auto* span = qobject_cast<QComboBox*>(panel.control(IDC_SPAN_COMBO));
    ASSERT_EQ(span->count(), 4);
    EXPECT_EQ(span->itemText(0), QStringLiteral(" Full"));
    EXPECT_EQ(span->itemText(3), QStringLiteral("   5K"));
    EXPECT_EQ(span->currentIndex(), 2);

    EXPECT_FALSE(panel.control(IDC_VFOA_GO)->isEnabled());
    auto* lamp = qobject_cast<CClrButton*>(panel.control(IDC_LAMP_9));
    EXPECT_EQ(lamp->FaceColor(), 0xC0C0C0u);
    EXPECT_EQ(lamp->TextColor(), 0u);
    EXPECT_EQ(panel.control(IDC_PLUS_10HZ)->style()->name().toLower(), QStringLiteral("windows"));
}

TEST_F(PanelLooks, RightClickMenuHoldsTheSystemCommands) {
    CK2FrontPanelControlDlg& panel = makePanel();
    QStringList texts;
    QList<int> ids;
    for (QAction* action : panel.systemMenu()->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        ids << (action->isSeparator() ? 0 : action->data().toInt());
    }
    // The panel's own commands come first (their own test covers them).
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts.mid(texts.size() - 4),
              (QStringList{"-", "System Config", "-", "&About Pelorin..."}));
    EXPECT_EQ(ids.mid(ids.size() - 4), (QList<int>{0, 5678, 0, 0x10}));
}

TEST_F(PanelLooks, IconsAreDrawnAtTheirSizes) {
    for (const int id :
         {IDR_MAINFRAME, IDI_EXIT, IDI_CONNECT, IDI_TUNE, IDI_RIT_DOWN, IDI_RIT_UP}) {
        const QSize size = panel_icons::buttonIconSize(id, QSize(96, 28));
        const QImage image = panel_icons::draw(id, size).toImage();
        ASSERT_EQ(image.size(), size) << id;
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, 20) << "icon " << id << " is blank";
    }
    EXPECT_TRUE(panel_icons::draw(999, QSize(16, 16)).isNull());
    const QList<QSize> sizes = panel_icons::windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

// Every indicator shows its whole text, centred: the ink lies within the box
// widened by one pixel on each side and is as wide as the text's own ink in
// the label's font (a cut text is narrower).
struct IndicatorCase {
    const char* name;
    int id;
};
ROW_NAME(IndicatorCase, row.name);

class IndicatorText : public FrontPanelFixture,
                      public ::testing::WithParamInterface<IndicatorCase> {};

TEST_P(IndicatorText, WholeCentredAndInsideItsBox) {
    CK2FrontPanelControlDlg& panel = makePanel();
    panel.show();
    auto* label = qobject_cast<CStaticEx*>(panel.control(GetParam().id));
    ASSERT_NE(label, nullptr);
    const QRect box = label->geometry();
    // The row around the box, three pixels more on each side: the panel's
    // grey there is the indicators' grey, so dark pixels are ink.
    const QRect around = box.adjusted(-3, 0, 3, 0);
    const QImage image = panel.grab(around).toImage();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 150) {
                ink |= QRect(around.x() + x, around.y() + y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), box.left() - 1);
    EXPECT_LE(ink.right(), box.right() + 1);
    const int textInk = QFontMetrics(label->font()).tightBoundingRect(label->text()).width();
    EXPECT_GE(ink.width(), textInk - 1) << "the text is cut";
    const int leftGap = ink.left() - box.left();
    const int rightGap = box.right() - ink.right();
    EXPECT_LE(std::abs(leftGap - rightGap), 2) << "left " << leftGap << ", right " << rightGap;
}

const IndicatorCase kIndicatorCases[] = {
    {"Nb", IDC_IND_NB},     {"Ant2", IDC_IND_ANT2}, {"Pre", IDC_IND_PRE}, {"Att", IDC_IND_ATT},
    {"Vfob", IDC_IND_VFOB}, {"Rit", IDC_IND_RIT},   {"Xit", IDC_IND_XIT},
};
INSTANTIATE_TEST_SUITE_P(Rows, IndicatorText, ::testing::ValuesIn(kIndicatorCases), CaseName());

// The green buttons' pictures fill the face's height from its top edge (the
// centre placement puts any picture of half the height or more there), and
// leave the raised edge's two pixels transparent.
struct PictureCase {
    const char* name;
    int id;
    int icon;
    QSize face;
};
ROW_NAME(PictureCase, row.name);

class GreenButtonPictures : public FrontPanelFixture,
                            public ::testing::WithParamInterface<PictureCase> {};

TEST_P(GreenButtonPictures, FillTheFaceInsideTheRaisedEdge) {
    const PictureCase& c = GetParam();
    CK2FrontPanelControlDlg& panel = makePanel();
    auto* button = qobject_cast<CxShadeButton*>(panel.control(c.id));
    ASSERT_NE(button, nullptr);
    ASSERT_EQ(button->size(), c.face);
    const int h = c.face.height();
    // Placed by its centre, which for an odd height rounds down.
    EXPECT_EQ(button->IconRect(), QRect(c.face.width() / 2 - h / 2, 0, h / 2 * 2, h / 2 * 2));

    const QImage picture = panel_icons::buttonPicture(c.icon, c.face).toImage();
    ASSERT_EQ(picture.size(), QSize(h, h));
    const int edge = panel_icons::kRaisedEdgeWidth;
    QRect ink;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < h; ++x) {
            if (qAlpha(picture.pixel(x, y)) == 0) {
                continue;
            }
            EXPECT_TRUE(QRect(edge, edge, h - 2 * edge, h - 2 * edge).contains(x, y))
                << "ink on the raised edge at " << x << "," << y;
            ink |= QRect(x, y, 1, 1);
        }
    }
    EXPECT_GE(ink.height(), (h - 2 * edge) * 3 / 4) << "the drawing fills the face";
}

const PictureCase kPictureCases[] = {
    {"Connect", IDC_CONNECT, IDI_CONNECT, {96, 28}},
    {"Exit", IDOK, IDI_EXIT, {93, 28}},
    {"Tune", IDC_TUNE, IDI_TUNE, {38, 31}},
};
INSTANTIATE_TEST_SUITE_P(Rows, GreenButtonPictures, ::testing::ValuesIn(kPictureCases), CaseName());

TEST_F(PanelLooks, StartUpScreenshot) {
    m_remote.m_resolveOk = true;
    makePanel();
    saveScreenshot("panel-startup.png");
}

}  // namespace
