// The tuning slider's window and where the panel opens.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>

#include "client/panel/front_panel_model.h"
#include "client/panel/panel_placement.h"
#include "front_panel_fixture.h"
#include "tests/support/row_names.h"

namespace {

PanelTuningRange band(int index, std::uint32_t low, std::uint32_t high) {
    return PanelTuningRange{std::string(kBandNames[static_cast<std::size_t>(index)]), index, low,
                            high};
}

const PanelTuningRange k20m = band(4, 14000000, 14350000);
const PanelTuningRange k30m = band(5, 10100000, 10150000);
const PanelTuningRange k160m = band(8, 1800000, 2000000);
const PanelTuningRange kNoBand{};

struct WindowCase {
    const char* name;
    int span;
    std::int64_t f;
    PanelTuningRange range;
    std::optional<SliderWindow> expected;
};
ROW_NAME(WindowCase, row.name);

const WindowCase kWindows[] = {
    {"FullBand", 0, 14175000, k20m, SliderWindow{14000000, 14350000}},
    {"Span100kMiddle", 1, 14175000, k20m, SliderWindow{14125000, 14225000}},
    {"Span40kMiddle", 2, 14175000, k20m, SliderWindow{14155000, 14195000}},
    {"Span5kMiddle", 3, 14175000, k20m, SliderWindow{14172500, 14177500}},
    {"Span100kNearLowEdge", 1, 14010000, k20m, SliderWindow{14000000, 14100000}},
    {"Span5kNearLowEdge", 3, 14001000, k20m, SliderWindow{14000000, 14005000}},
    {"Span100kNearHighEdge", 1, 14340000, k20m, SliderWindow{14250000, 14350000}},
    {"Span40kAtHighEdge", 2, 14350000, k20m, SliderWindow{14310000, 14350000}},
    // 30 m is 50 kHz wide: a 100 kHz span shows the band.
    {"Span100kWiderThan30m", 1, 10125000, k30m, SliderWindow{10100000, 10150000}},
    // Below half the span: the window starts at the band, it never wraps.
    {"BelowHalfSpanInBand", 1, 20000, k160m, SliderWindow{1800000, 1900000}},
    {"BelowHalfSpanNoBand", 1, 20000, kNoBand, SliderWindow{0, 100000}},
    {"FullWithoutBandKeeps", 0, 14175000, kNoBand, std::nullopt},
    {"UnknownSpanKeeps", 4, 14175000, k20m, std::nullopt},
    {"NegativeSpanKeeps", -1, 14175000, k20m, std::nullopt},
};

class SliderWindowTable : public ::testing::TestWithParam<WindowCase> {};

TEST_P(SliderWindowTable, Window) {
    const WindowCase& row = GetParam();
    const std::optional<SliderWindow> window = ComputeSliderWindow(row.span, row.f, row.range);
    ASSERT_EQ(window.has_value(), row.expected.has_value());
    if (window) {
        EXPECT_EQ(window->low, row.expected->low);
        EXPECT_EQ(window->high, row.expected->high);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SliderWindowTable, ::testing::ValuesIn(kWindows), CaseName());

TEST(PanelModelTexts, FrequencyAndPowerTexts) {
    FrontPanelModel model;
    EXPECT_EQ(model.VfoAText(), "  28060.00");
    EXPECT_EQ(model.VfoBText(), "  14060.00");
    EXPECT_EQ(model.PowerText(), "   0.0");
    model.m_nRFPower = 55;
    EXPECT_EQ(model.PowerText(), "   5.5") << "tenths of a watt in the low range";
    model.m_bHighPowerRange = 1;
    EXPECT_EQ(model.PowerText(), "  55.0");
    EXPECT_EQ(model.PowerSliderPosition(), 95);
    model.m_nRITSliderPos = 980;
    EXPECT_EQ(model.RitValueText(), "-20");

    // An unknown span keeps the window but still shows the frequency.
    model.m_ulSliderLow = 1;
    model.m_ulSliderHigh = 2;
    model.m_nTuningSpan = 7;
    model.SetTuningSliderWindow(7050000);
    EXPECT_EQ(model.m_ulSliderLow, 1);
    EXPECT_EQ(model.m_ulSliderHigh, 2);
    EXPECT_EQ(model.m_strActiveFreq, "   7050.00");
}

TEST_F(FrontPanelFixture, SliderFollowsTheWindowInTenHertzUnits) {
    CK2FrontPanelControlDlg& panel = makePanel(false);
    panel.OnInitDialog();
    m_store.WriteSelectedTuningRange(1);
    notice(SERVER_STATUS_CONNECTED);  // loads the band table; span is still " Full"
    panel.SetTuningSliderWindow(28065000);
    auto* slider = qobject_cast<QSlider*>(panel.control(front_panel::IDC_TUNING_SLIDER));
    EXPECT_EQ(slider->minimum(), 2800000);
    EXPECT_EQ(slider->maximum(), 2970000);
    EXPECT_EQ(slider->value(), 2806500);
    EXPECT_EQ(qobject_cast<QLineEdit*>(panel.control(front_panel::IDC_ACTIVE_FREQ))->text(),
              QStringLiteral("  28065.00"));
}

// --- Placement ---------------------------------------------------------------

struct PlacementCase {
    const char* name;
    StoredWindowRect stored;
    bool centred;
    QPoint position;  // when not centred
};
ROW_NAME(PlacementCase, row.name);

const PlacementCase kPlacement[] = {
    {"DefaultIsSmallerSoCentred", {0, 0, 639, 479}, true, {}},
    {"NarrowerThanClientCentred", {10, 10, 700, 500}, true, {}},
    {"ExactClientSizeUsed", {30, 40, 749, 450}, false, {30, 40}},
    {"LargerKeepsItsSize", {10, 20, 900, 700}, false, {10, 20}},
    // Only reaching the screen: moved onto it by the least distance.
    {"PartlyOffTheScreenMovedOnIt", {-20, -10, 699, 400}, false, {0, 0}},
    {"OnNoScreenCentred", {3000, 2000, 3719, 2410}, true, {}},
};

class PanelPlacement : public FrontPanelFixture,
                       public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PanelPlacement, OpensAndStoresItsRectangle) {
    const PlacementCase& row = GetParam();
    ASSERT_TRUE(m_store.WriteWindowRect(row.stored.left, row.stored.top, row.stored.right,
                                        row.stored.bottom));
    CK2FrontPanelControlDlg& panel = makePanel();

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint expected = row.centred ? CentredPosition(QSize(719, 410), screen) : row.position;
    EXPECT_EQ(panel.pos(), expected);
    EXPECT_EQ(panel.size(), QSize(719, 410));

    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    ASSERT_TRUE(m_store.ReadOriginalWindowRect(left, top, right, bottom));
    EXPECT_EQ(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
              QRect(expected, QSize(719, 410)));
    // The followers' "Window Size" is where the panel is before it ever
    // moves: the move handler skips the first move.
    ASSERT_TRUE(m_store.ReadWindowRect(left, top, right, bottom));
    EXPECT_EQ(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), panel.frameGeometry());
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelPlacement, ::testing::ValuesIn(kPlacement), CaseName());

}  // namespace
