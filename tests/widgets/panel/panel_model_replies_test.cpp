// Radio replies on the widget-free panel model: members, texts and looks.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "client/panel/front_panel_layout.h"
#include "client/panel/front_panel_model.h"
#include "radiolink/k2_reply_codes.h"
#include "tests/support/row_names.h"

using namespace front_panel;

namespace {

constexpr std::uint32_t kOn = 0x00FF00;
constexpr std::uint32_t kGrey = 0xC0C0C0;

// Band i spans [low, high], as a server's band table would.
constexpr std::uint32_t kEdges[9][2] = {
    {28000000, 29700000}, {24890000, 24990000}, {21000000, 21450000},
    {18068000, 18168000}, {14000000, 14350000}, {10100000, 10150000},
    {7000000, 7300000},   {3500000, 4000000},   {1800000, 2000000}};

std::optional<PanelTuningRange> FindBand(std::uint32_t hz) {
    for (int i = 0; i < 9; ++i) {
        if (hz >= kEdges[i][0] && hz <= kEdges[i][1]) {
            return PanelTuningRange{std::string(kBandNames[static_cast<std::size_t>(i)]), i,
                                    kEdges[i][0], kEdges[i][1]};
        }
    }
    return std::nullopt;
}

// A connected panel on 20 m receiving on VFO A at 14060000 Hz, 40-kHz span,
// every bank slot at 1 Hz so a store shows.
FrontPanelModel TwentyMetres() {
    FrontPanelModel model;
    model.m_findTuningRange = FindBand;
    model.m_bConnected = 1;
    model.m_ulVFOAFreq = 14060000;
    model.m_ulVFOBFreq = 14070000;
    model.m_nTuningSpan = 2;
    model.m_CurTuningRange = *FindBand(14060000);
    model.SetTuningSliderWindow(14060000);
    for (auto& row : model.m_VfoBank) {
        row = {1, 1};
    }
    return model;
}

// IF with the given fields; the unread columns hold blanks.
std::string IfText(std::uint32_t hz, int offset, int rit, int xit, int mode, int vfo, int split) {
    char text[64];
    std::snprintf(text, sizeof text, "IF%011u     %+05d%d%d   0%d%d0%d0", hz, offset, rit, xit,
                  mode, vfo, split);
    return text;
}

// Everything the displays show, for "nothing changed" comparisons.
std::string Dump(const FrontPanelModel& m) {
    std::ostringstream out;
    out << m.m_ulVFOAFreq << ' ' << m.m_ulVFOBFreq << ' ' << m.m_nOpMode << ' ' << m.m_nXFIL << ' '
        << m.m_nAFIL << ' ' << m.m_nAGC << ' ' << m.m_nNB << ' ' << m.m_nXFILBandwidth << ' '
        << m.m_nAntenna << ' ' << m.m_nRFPower << ' ' << m.m_bPreamp << ' ' << m.m_bAttenuator
        << ' ' << m.m_nRITOffset << ' ' << m.m_bHighPowerRange << ' ' << m.m_bRITOn << ' '
        << m.m_bXITOn << ' ' << m.m_CurTuningRange.nBand << ' ' << m.m_bVFOLocked << ' '
        << m.m_bAwaitFreqEcho << ' ' << m.m_ulSliderLow << ' ' << m.m_ulSliderHigh << ' '
        << m.m_nTxVFO << ' ' << m.m_nRxVFO << ' ' << m.m_nBarGraph << ' ' << m.m_nRITSliderPos
        << ' ' << m.m_nCWSpeed << ' ' << m.m_nSquelch << ' ' << m.m_strActiveFreq << '|'
        << m.m_strXFILBandwidth << '|' << m.m_strRITOffset << '|' << m.m_strAFILButton << '|'
        << m.m_strNBButton << '|' << m.m_strAntennaButton << '|' << m.m_strBanner << '|'
        << m.m_nTuningPos << ' ' << m.m_nBandSel << ' ' << m.m_bRITControlsEnabled;
    for (const auto& row : m.m_VfoBank) {
        out << ' ' << row[0] << ',' << row[1];
    }
    for (const auto& [id, on] : m.m_buttonOn) {
        out << ' ' << id << '=' << on;
    }
    for (const auto& [id, face] : m.m_lampFace) {
        out << ' ' << id << ':' << face;
    }
    for (const auto bk : m.m_indicatorBk) {
        out << ' ' << bk;
    }
    return out.str();
}

const auto kNow = FrontPanelModel::Clock::now();

struct ReplyCase {
    const char* name;
    std::function<void(FrontPanelModel&)> before;
    int code;
    std::string text;
    std::function<void(const FrontPanelModel&)> check;
};
ROW_NAME(ReplyCase, row.name);

void Nothing(FrontPanelModel&) {}

const ReplyCase kReplies[] = {
    {"FAInsideTheWindow", Nothing, K2_CMD_FA, "FA00014070000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulVFOAFreq, 14070000U);
         EXPECT_EQ(m.m_nTuningPos, 1407000);
         EXPECT_EQ(m.m_ulSliderLow, 14040000);
         EXPECT_EQ(m.m_strActiveFreq, "  14070.00");
         EXPECT_EQ(m.m_VfoBank[4][0], 14070000U);
         EXPECT_EQ(m.m_nBandSel, 4);
     }},
    {"FAOutsideTheWindowMovesIt", Nothing, K2_CMD_FA, "FA00014300000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulSliderLow, 14280000);
         EXPECT_EQ(m.m_ulSliderHigh, 14320000);
         EXPECT_EQ(m.m_nTuningPos, 1430000);
         EXPECT_EQ(m.m_VfoBank[4][0], 14300000U);
     }},
    {"FAOnAnotherBandLooksItUp", Nothing, K2_CMD_FA, "FA00007040000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_CurTuningRange.nBand, 6);
         EXPECT_EQ(m.m_ulSliderLow, 7020000);
         EXPECT_EQ(m.m_VfoBank[6][0], 7040000U);
         EXPECT_EQ(m.m_VfoBank[4][0], 1U);
         EXPECT_EQ(m.m_nBandSel, 6);
         EXPECT_EQ(m.m_strActiveFreq, "   7040.00");
     }},
    {"FAOutsideEveryBandLeavesTheBank", Nothing, K2_CMD_FA, "FA00005000000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulVFOAFreq, 5000000U);
         EXPECT_EQ(m.m_CurTuningRange.nBand, 4);
         for (const auto& row : m.m_VfoBank) {
             EXPECT_EQ(row[0], 1U);
             EXPECT_EQ(row[1], 1U);
         }
     }},
    {"FAWhileAnotherEchoIsAwaited", [](FrontPanelModel& m) { m.ArmEcho(14061000, kNow); },
     K2_CMD_FA, "FA00014060500",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulVFOAFreq, 14060500U);
         EXPECT_EQ(m.m_nTuningPos, 1406000);
         EXPECT_EQ(m.m_strActiveFreq, "  14060.00");
         EXPECT_EQ(m.m_VfoBank[4][0], 1U);
         EXPECT_EQ(m.m_bAwaitFreqEcho, 1);
     }},
    {"FAIsTheAwaitedEcho", [](FrontPanelModel& m) { m.ArmEcho(14061000, kNow); }, K2_CMD_FA,
     "FA00014061000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_bAwaitFreqEcho, 0);
         EXPECT_EQ(m.m_nTuningPos, 1406100);
         EXPECT_EQ(m.m_VfoBank[4][0], 14061000U);
     }},
    {"FBWhileReceivingOnB", [](FrontPanelModel& m) { m.m_nRxVFO = m.m_nTxVFO = 1; }, K2_CMD_FB,
     "FB00014070000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulVFOBFreq, 14070000U);
         EXPECT_EQ(m.m_nTuningPos, 1407000);
         EXPECT_EQ(m.m_VfoBank[4][1], 14070000U);
         EXPECT_EQ(m.m_VfoBank[4][0], 1U);
     }},
    {"FBWhileReceivingOnALeavesTheSlider", Nothing, K2_CMD_FB, "FB00014100000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_ulVFOBFreq, 14100000U);
         EXPECT_EQ(m.m_nTuningPos, 1406000);
         EXPECT_EQ(m.m_VfoBank[4][1], 14100000U);
     }},
    {"FROnB", Nothing, K2_CMD_FR, "FR1",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nRxVFO, 1);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_RX), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kGrey);
         EXPECT_EQ(m.m_strActiveFreq, "  14070.00");
         EXPECT_EQ(m.m_nTuningPos, 1407000);
     }},
    {"FROnA", [](FrontPanelModel& m) { m.m_nRxVFO = m.m_nTxVFO = 1; }, K2_CMD_FR, "FR0",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nRxVFO, 0);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_RX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_TX), kGrey);
     }},
    {"FTAgreeingWithFRIsNotSplit", Nothing, K2_CMD_FT, "FT0",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.VfoEditColor(0), 0xF0CAA6U);
         EXPECT_EQ(m.VfoEditColor(1), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kGrey);
     }},
    {"FTSplitTransmitOnB", Nothing, K2_CMD_FT, "FT1",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nTxVFO, 1);
         EXPECT_EQ(m.VfoEditColor(0), 0xEF1032U);
         EXPECT_EQ(m.VfoEditColor(1), 0x550BEAU);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_RX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kGrey);
     }},
    {"FTSplitTransmitOnA", [](FrontPanelModel& m) { m.m_nRxVFO = m.m_nTxVFO = 1; }, K2_CMD_FT,
     "FT0",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.VfoEditColor(0), 0x550BEAU);
         EXPECT_EQ(m.VfoEditColor(1), 0xEF1032U);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kOn);
     }},
    {"IFSplitReceivingOnB", Nothing, K2_CMD_IF, IfText(14070000, 0, 0, 0, 2, 1, 1),
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nRxVFO, 1);
         EXPECT_EQ(m.m_nTxVFO, 0);
         EXPECT_EQ(m.m_ulVFOBFreq, 14070000U);
         EXPECT_EQ(m.VfoEditColor(0), 0x550BEAU);
         EXPECT_EQ(m.VfoEditColor(1), 0xEF1032U);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOA_TX), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_VFOB_RX), kOn);
         EXPECT_EQ(m.m_VfoBank[4][1], 14070000U);
         EXPECT_EQ(m.m_nOpMode, 2);
         EXPECT_EQ(m.m_buttonOn.at(IDC_MODE_USB), 1);
     }},
    {"IFRitOnly", Nothing, K2_CMD_IF, IfText(14060000, 70, 1, 0, 3, 0, 0),
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_lampFace.at(IDC_RIT), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_XIT), kGrey);
         EXPECT_EQ(m.RitOffsetEditColor(), 0xCE759FU);
         EXPECT_EQ(m.m_bRITControlsEnabled, 1);
         EXPECT_EQ(m.m_nRITSliderPos, 1070);
         EXPECT_EQ(m.m_strRITOffset, "70");
     }},
    {"IFXitOnly", Nothing, K2_CMD_IF, IfText(14060000, -30, 0, 1, 3, 0, 0),
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_lampFace.at(IDC_RIT), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_XIT), kOn);
         EXPECT_EQ(m.RitOffsetEditColor(), 0x7653DFU);
         EXPECT_EQ(m.m_bRITControlsEnabled, 1);
         EXPECT_EQ(m.m_nRITSliderPos, 970);
     }},
    {"IFRitAndXit", Nothing, K2_CMD_IF, IfText(14060000, 10, 1, 1, 3, 0, 0),
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_lampFace.at(IDC_RIT), kOn);
         EXPECT_EQ(m.m_lampFace.at(IDC_XIT), kOn);
         EXPECT_EQ(m.RitOffsetEditColor(), 0xCE759FU);
         EXPECT_EQ(m.m_nRITSliderPos, 1010);
     }},
    {"IFNeither", [](FrontPanelModel& m) { m.m_bRITOn = 1; }, K2_CMD_IF,
     IfText(14060000, 0, 0, 0, 3, 0, 0),
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_lampFace.at(IDC_RIT), kGrey);
         EXPECT_EQ(m.m_lampFace.at(IDC_XIT), kGrey);
         EXPECT_EQ(m.RitOffsetEditColor(), kGrey);
         EXPECT_EQ(m.m_bRITControlsEnabled, 0);
     }},
    {"PCLowRange", Nothing, K2_CMD_PC, "PC0500",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.PowerText(), "   5.0");
         EXPECT_EQ(m.PowerSliderPosition(), 100);
         EXPECT_EQ(m.m_bHighPowerRange, 0);
     }},
    {"PCHighRange", Nothing, K2_CMD_PC, "PC0501",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.PowerText(), "  50.0");
         EXPECT_EQ(m.m_bHighPowerRange, 1);
     }},
    {"GTFast", Nothing, K2_CMD_GT, "GT0021",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nAGC, 2);
         EXPECT_EQ(m.m_buttonOn.at(IDC_AGC_FAST), 1);
         EXPECT_EQ(m.m_buttonOn.at(IDC_AGC_SLOW), 0);
         EXPECT_EQ(m.m_buttonOn.at(IDC_AGC_OFF), 0);
     }},
    {"GTOff", Nothing, K2_CMD_GT, "GT0000",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nAGC, 0);
         EXPECT_EQ(m.m_buttonOn.at(IDC_AGC_OFF), 1);
         EXPECT_EQ(m.m_buttonOn.at(IDC_AGC_FAST), 0);
     }},
    {"FW", Nothing, K2_CMD_FW, "FW040012",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_buttonOn.at(IDC_XFIL1), 1);
         EXPECT_EQ(m.m_buttonOn.at(IDC_XFIL4), 0);
         EXPECT_EQ(m.m_strAFILButton, "AFIL: 2");
         EXPECT_EQ(m.m_strXFILBandwidth, "400");
         EXPECT_EQ(m.m_nXFILBandwidth, 400);
     }},
    {"MDFourSetsTheModeOnly", Nothing, K2_CMD_MD, "MD4",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_nOpMode, 4);
         EXPECT_TRUE(m.m_buttonOn.empty());
     }},
    {"MDThreeShowsCW", Nothing, K2_CMD_MD, "MD3",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_buttonOn.at(IDC_MODE_CW), 1);
         EXPECT_EQ(m.m_buttonOn.at(IDC_MODE_USB), 0);
     }},
    {"NBAntennaPreampAttenuator",
     [](FrontPanelModel& m) {
         m.ParseRadioReply(K2_CMD_NB, "NB2", kNow);
         m.ParseRadioReply(K2_CMD_AN, "AN2", kNow);
         m.ParseRadioReply(K2_CMD_PA, "PA1", kNow);
     },
     K2_CMD_RA, "RA01",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_strNBButton, "NB: 2");
         EXPECT_EQ(m.m_strAntennaButton, "ANT: 2");
         EXPECT_EQ(m.m_buttonOn.at(IDC_PREAMP), 1);
         EXPECT_EQ(m.m_buttonOn.at(IDC_ATT), 1);
         EXPECT_EQ(m.m_bAttenuator, 1);
     }},
    {"DSBannerAndIndicators", Nothing, K2_CMD_DS, "DS  7040.004102",
     [](const FrontPanelModel& m) {
         EXPECT_EQ(m.m_strBanner, "  7040.00");
         const std::array<std::uint32_t, 7> expected = {0x00FFFF, kGrey,    kGrey,   kGrey,
                                                        kGrey,    0xFFC0C0, 0x00FFFF};
         EXPECT_EQ(m.m_indicatorBk, expected);
     }},
};

class PanelReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(PanelReply, ChangesMembersAndLooks) {
    const ReplyCase& row = GetParam();
    FrontPanelModel model = TwentyMetres();
    row.before(model);
    EXPECT_NE(model.ParseRadioReply(row.code, row.text, kNow), FrontPanelModel::ReplyEffect::None);
    row.check(model);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelReply, ::testing::ValuesIn(kReplies), CaseName());

// Replies that carry nothing for the panel, and replies that do not decode.
struct IgnoredCase {
    const char* name;
    int code;
    const char* text;
};
ROW_NAME(IgnoredCase, row.name);

const IgnoredCase kIgnored[] = {
    {"KY", K2_CMD_KY, "KY0"},
    {"AI", K2_CMD_AI, "AI3"},
    {"Unknown", K2_CMD_UNKNOWN, "ZZ1"},
    {"ShortIF", K2_CMD_IF, "IF0001406"},
    {"BareGT", K2_CMD_GT, "GT"},
    {"ShortFW", K2_CMD_FW, "FW04"},
    {"ShortPC", K2_CMD_PC, "PC05"},
    {"BareRA", K2_CMD_RA, "RA"},
    {"ShortDS", K2_CMD_DS, "DS12"},
    {"GarbledDS", K2_CMD_DS, "DS12zz"},
    {"NegativeFA", K2_CMD_FA, "FA-0000001"},
    {"EmptyText", K2_CMD_FA, ""},
    {"LetterInFA", K2_CMD_FA, "FA0001406x000"},
};

class PanelIgnoredReply : public ::testing::TestWithParam<IgnoredCase> {};

TEST_P(PanelIgnoredReply, ChangesNothing) {
    FrontPanelModel model = TwentyMetres();
    const std::string before = Dump(model);
    EXPECT_EQ(model.ParseRadioReply(GetParam().code, GetParam().text, kNow),
              FrontPanelModel::ReplyEffect::None);
    EXPECT_EQ(Dump(model), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelIgnoredReply, ::testing::ValuesIn(kIgnored), CaseName());

// The S-meter: dot mode 0-11, bar mode 13-22, nothing else lit.
struct BarCase {
    const char* name;
    int level;
    std::array<std::uint32_t, 10> faces;
};
ROW_NAME(BarCase, row.name);

constexpr std::uint32_t G = 0x22C10B;
constexpr std::uint32_t A = 0x24BCE8;
constexpr std::uint32_t R = 0x2E17F4;
constexpr std::uint32_t o = kGrey;

const BarCase kBars[] = {
    {"Zero", 0, {G, o, o, o, o, o, o, o, o, o}},
    {"One", 1, {o, G, o, o, o, o, o, o, o, o}},
    {"Nine", 9, {o, o, o, o, o, o, o, o, o, G}},
    {"TenWrapsToLampZero", 10, {G, o, o, o, o, o, o, o, o, o}},
    {"Eleven", 11, {o, G, o, o, o, o, o, o, o, o}},
    {"TwelveLightsNothing", 12, {o, o, o, o, o, o, o, o, o, o}},
    {"ThirteenStartsTheBar", 13, {G, o, o, o, o, o, o, o, o, o}},
    {"Nineteen", 19, {G, G, G, G, G, G, A, o, o, o}},
    {"TwentyTwoLightsAll", 22, {G, G, G, G, G, G, A, A, R, R}},
    {"TwentyThreeLightsNothing", 23, {o, o, o, o, o, o, o, o, o, o}},
};

class PanelBarGraph : public ::testing::TestWithParam<BarCase> {};

TEST_P(PanelBarGraph, LightsTheLamps) {
    FrontPanelModel model = TwentyMetres();
    model.ShowBarGraph(22);  // every lamp lit before: each reply starts from dark
    char text[16];
    std::snprintf(text, sizeof text, "BG%02d", GetParam().level);
    EXPECT_EQ(model.ParseRadioReply(K2_CMD_BG, text, kNow), FrontPanelModel::ReplyEffect::BarGraph);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(model.m_lampFace.at(kSMeterLampIds[i]), GetParam().faces[i]) << "lamp " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PanelBarGraph, ::testing::ValuesIn(kBars), CaseName());

// Random texts behind every code never throw and never leave an index out of
// range.
TEST(PanelReplyFuzz, RandomTextsKeepEveryIndexInRange) {
    std::mt19937 random(20240611);
    const std::string alphabet = "0123456789+- .abcfxzABF\x01\xff";
    FrontPanelModel model = TwentyMetres();
    for (int round = 0; round < 20000; ++round) {
        const int code = static_cast<int>(random() % (kK2CmdCount + 1));
        std::string text(K2CmdName(code));
        const std::size_t length = random() % 40;
        for (std::size_t i = 0; i < length; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        ASSERT_NO_THROW(model.ParseRadioReply(code, text, kNow)) << text;
        ASSERT_TRUE(model.m_nRxVFO == 0 || model.m_nRxVFO == 1) << text;
        ASSERT_TRUE(model.m_nTxVFO == 0 || model.m_nTxVFO == 1) << text;
        ASSERT_GE(model.m_nBandSel, -1) << text;
        ASSERT_LE(model.m_nBandSel, 8) << text;
        ASSERT_GE(model.m_CurTuningRange.nBand, 0) << text;
        ASSERT_LE(model.m_CurTuningRange.nBand, 8) << text;
        ASSERT_LE(model.m_ulSliderLow, model.m_ulSliderHigh) << text;
        ASSERT_LE(model.m_lampFace.size(), 16U) << text;
    }
}

}  // namespace
