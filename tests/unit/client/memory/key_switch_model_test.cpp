// The key-switch panel's rules without widgets: labels, shades and codes of
// the "Basic" page by key menu and configuration set; the scan page's states,
// checks and clamps.

#include <gtest/gtest.h>

#include <string>

#include "client/memory/key_switch_model.h"
#include "tests/support/row_names.h"

using namespace key_switch;

namespace {

struct KeyCase {
    const char* name;
    int menuPresses;
    int setPresses;
    int id;
    const char* label;
    std::uint32_t shade;
    std::optional<int> code;
};
ROW_NAME(KeyCase, row.name);

const KeyCase kKeys[] = {
    {"BandUpTaps", 0, 0, 1261, "Band+", kGreen, 1},
    {"BandUpKeepsItsLabelInNumeric", 1, 0, 1261, "Band+", kGreen, 1},
    {"BandUpHoldIsRecall", 2, 0, 1261, "Recall", kGreen, 17},
    {"RateIsZeroInNumeric", 1, 0, 1292, "0", kRed, 7},
    {"MsgIsNineInNumeric", 1, 0, 1290, "9", kRed, 16},
    {"MsgHoldIsRec", 2, 0, 1290, "Rec", kGreen, 32},
    {"ThreeMenuPressesTapAgain", 3, 0, 1292, "Rate", kGreen, 7},
    {"MenuButtonOffersNumeric", 0, 0, IDC_MENU_BUTTON, "Numeric", kGreen, std::nullopt},
    {"MenuButtonOffersHold", 1, 0, IDC_MENU_BUTTON, "Hold", kGreen, std::nullopt},
    {"MenuButtonOffersTap", 2, 0, IDC_MENU_BUTTON, "Tap", kGreen, std::nullopt},
    {"MenuButtonAfterThreePresses", 3, 0, IDC_MENU_BUTTON, "Numeric", kGreen, std::nullopt},
    {"FixedKeyInHoldMenu", 2, 0, 1295, "FN RIT", kGreen, 33},
    {"FixedKeyLast", 0, 1, 1303, "FL STAT", kGreen, 37},
    {"InpSendsFortyTwo", 0, 0, 1312, "INP", kGreen, 42},
    {"RptSendsFortyOne", 0, 0, 1314, "RPT", kGreen, 41},
    {"FplyInTheSecondSet", 0, 1, 1312, "FPLY", kRed, 57},
    {"PortInTheSecondSet", 0, 1, 1314, "PORT", kRed, 58},
    {"LastConfigKeySecondSet", 0, 1, 1336, "TRN3", kRed, 69},
    {"SetButtonOffersTwo", 0, 0, IDC_CONFIG_BUTTON, "2", kRed, std::nullopt},
    {"SetButtonOffersOne", 0, 1, IDC_CONFIG_BUTTON, "1", kGreen, std::nullopt},
    {"TwoSetPressesFirstSetAgain", 0, 2, 1306, "ST L", kGreen, 38},
};

class BasicKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(BasicKeys, LabelShadeAndCode) {
    const KeyCase& row = GetParam();
    BasicPageModel model;
    for (int i = 0; i < row.menuPresses; ++i) {
        model.NextKeyMenu();
    }
    for (int i = 0; i < row.setPresses; ++i) {
        model.NextConfigSet();
    }
    EXPECT_EQ(model.Label(row.id), row.label);
    EXPECT_EQ(model.Shade(row.id), row.shade);
    EXPECT_EQ(model.Code(row.id), row.code);
}

INSTANTIATE_TEST_SUITE_P(Rows, BasicKeys, ::testing::ValuesIn(kKeys), CaseName());

TEST(BasicKeysInit, APageStartReturnsToTapButKeepsTheSet) {
    BasicPageModel model;
    model.NextKeyMenu();
    model.NextConfigSet();
    model.Init();
    EXPECT_EQ(model.KeyMenu(), BasicPageModel::kTapMenu);
    EXPECT_EQ(model.ConfigSet(), BasicPageModel::kSecondSet);
}

PanelTuningRange fortyMeters() {
    return {"  40M", 6, 7000000, 7300000};
}

struct ScanCase {
    const char* name;
    PanelTuningRange band;
    std::uint32_t storedLow;
    std::uint32_t storedHigh;
    const char* shownLow;  // after the answer
    const char* shownHigh;
    const char* typedLow;  // at Start
    const char* typedHigh;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> scan;
    std::optional<ScanPageModel::Field> refused;
};
ROW_NAME(ScanCase, row.name);

const ScanCase kScans[] = {
    {"NoStoredLimitsShowTheBand", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7010", "7050",
     std::make_pair(7010000u, 7050000u), std::nullopt},
    {"StoredLimitsShown", fortyMeters(), 7020000, 7040000, "   7020.00", "   7040.00", "7020",
     "7040", std::make_pair(7020000u, 7040000u), std::nullopt},
    {"StoredLimitsOutsideTheBandPulledIn", fortyMeters(), 14000000, 14100000, "   7000.00",
     "   7300.00", "7000", "7300", std::make_pair(7000000u, 7300000u), std::nullopt},
    {"SwappedLimitsScanInOrder", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7200", "7100",
     std::make_pair(7100000u, 7200000u), std::nullopt},
    {"LowAboveTheBandAfterTheSwapIsTheLowEdge", fortyMeters(), 0, 0, "   7000.00", "   7300.00",
     "7400", "7350", std::make_pair(7000000u, 7300000u), std::nullopt},
    {"LowAboveTheBandOverAHighInIt", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7400",
     "7100", std::make_pair(7100000u, 7300000u), std::nullopt},
    {"HighAboveTheBandIsTheHighEdge", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7100",
     "7500", std::make_pair(7100000u, 7300000u), std::nullopt},
    {"LowBelowTheBandIsTheLowEdge", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "6900", "7100",
     std::make_pair(7000000u, 7100000u), std::nullopt},
    {"EqualLimitsGoAsTheyAre", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7100", "7100",
     std::make_pair(7100000u, 7100000u), std::nullopt},
    {"UnreadableLowRefused", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "abc", "7100",
     std::nullopt, ScanPageModel::Field::Low},
    {"UnreadableHighRefused", fortyMeters(), 0, 0, "   7000.00", "   7300.00", "7100", "",
     std::nullopt, ScanPageModel::Field::High},
    {"NoBandFillsNothingAndStartRefuses", PanelTuningRange{}, 0, 0, "", "", "7100", "7200",
     std::nullopt, ScanPageModel::Field::Low},
};

class ScanLimits : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanLimits, AnswerThenStart) {
    const ScanCase& row = GetParam();
    ScanPageModel model;
    EXPECT_TRUE(model.OnScan("", "").askLimits);
    EXPECT_EQ(model.ScanLabel(), "Start");
    EXPECT_EQ(model.SecondLabel(), "Get Limits");
    model.OnLimits(row.band, row.storedLow, row.storedHigh);
    EXPECT_EQ(model.LowText(), row.shownLow);
    EXPECT_EQ(model.HighText(), row.shownHigh);
    EXPECT_EQ(model.EditsWritable(), row.band.IsKnown());

    const auto effects = model.OnScan(row.typedLow, row.typedHigh);
    EXPECT_EQ(effects.scan, row.scan);
    EXPECT_EQ(effects.refused, row.refused);
    EXPECT_FALSE(effects.askLimits);
    if (row.scan) {
        EXPECT_TRUE(model.Scanning());
        EXPECT_FALSE(model.ScanEnabled());
        EXPECT_FALSE(model.EditsWritable());
        EXPECT_EQ(model.SecondLabel(), "Resume");
        EXPECT_LE(row.scan->first, row.scan->second);
    } else {
        // Still waiting for limits, the edits as they were.
        EXPECT_FALSE(model.Scanning());
        EXPECT_EQ(model.ScanLabel(), "Start");
        EXPECT_EQ(model.EditsWritable(), row.band.IsKnown());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ScanLimits, ::testing::ValuesIn(kScans), CaseName());

TEST(ScanStates, ResumeAndStopSendKey31OnlyWhileScanning) {
    ScanPageModel model;
    EXPECT_FALSE(model.SecondEnabled());
    EXPECT_EQ(model.OnStop().keyCode, std::nullopt);
    model.OnScan("", "");
    model.OnLimits(fortyMeters(), 0, 0);
    // Get Limits puts the band's edges back.
    model.OnSecond();
    EXPECT_EQ(model.LowText(), "   7000.00");
    EXPECT_EQ(model.OnSecond().keyCode, std::nullopt);
    ASSERT_TRUE(model.OnScan("7100", "7200").scan);
    EXPECT_EQ(model.OnSecond().keyCode, 31);
    EXPECT_EQ(model.OnStop().keyCode, 31);
    EXPECT_EQ(model.ScanLabel(), "Scan");
    EXPECT_TRUE(model.ScanEnabled());
    EXPECT_FALSE(model.SecondEnabled());
    EXPECT_FALSE(model.LimitsKnown());
    // Scan again asks again.
    EXPECT_TRUE(model.OnScan("", "").askLimits);
}

}  // namespace
