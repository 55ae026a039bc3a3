// The front panel's pure pieces behind its commands: the radio snapshot, the
// QSO log file name, the checks on partner messages and the slider rules.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/panel/front_panel_model.h"
#include "client/panel/panel_sliders.h"
#include "client/panel/partner_messages.h"
#include "client/panel/qso_log_name.h"
#include "client/panel/radio_snapshot.h"
#include "tests/support/row_names.h"

namespace {

std::string le32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    std::string s;
    for (int shift = 0; shift < 32; shift += 8) {
        s.push_back(static_cast<char>((u >> shift) & 0xFFu));
    }
    return s;
}

FrontPanelModel busyState() {
    FrontPanelModel m;
    m.m_ulVFOAFreq = 14060000;
    m.m_ulVFOBFreq = 7040000;
    m.m_nOpMode = 3;
    m.m_nXFIL = 2;
    m.m_nXFILBandwidth = 12;
    m.m_nAFIL = 1;
    m.m_nAGC = 4;
    m.m_nNB = 2;
    m.m_nCWSpeed = 22;
    m.m_nAntenna = 2;
    m.m_nRFPower = 55;
    m.m_nRxVFO = 1;
    m.m_nTxVFO = 0;
    m.m_bPreamp = 5;  // any non-zero is "on"
    m.m_bAttenuator = 0;
    m.m_nRITOffset = -120;
    m.m_bRITOn = 1;
    m.m_bXITOn = 0;
    m.m_CurTuningRange.nBand = 4;
    return m;
}

TEST(RadioSnapshot, WordsFollowTheMembersInRecordOrder) {
    const RADIO_SNAPSHOT s = BuildRadioSnapshot(busyState());
    const std::vector<std::int32_t> expected = {14060000, 7040000, 3, 2, 12, 1,    4, 2, 22, 2,
                                                55,       1,       0, 1, 0,  -120, 1, 0, 4};
    EXPECT_EQ(std::vector<std::int32_t>(s.words.begin(), s.words.end()), expected);
}

TEST(RadioSnapshot, EncodesLittleEndianAndDecodesBack) {
    const RADIO_SNAPSHOT s = BuildRadioSnapshot(busyState());
    const std::string bytes = EncodeRadioSnapshot(s);
    ASSERT_EQ(bytes.size(), 76u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xE0\x89\xD6\x00", 4));  // 14060000
    EXPECT_EQ(bytes.substr(15 * 4, 4), le32(-120));
    EXPECT_EQ(DecodeRadioSnapshot(bytes), s);
    EXPECT_FALSE(DecodeRadioSnapshot(bytes.substr(0, 75)));
    EXPECT_FALSE(DecodeRadioSnapshot(bytes + '\0'));
}

TEST(RadioSnapshot, DownloadCarriesWordsUpToXitAndNotTheBand) {
    const RadioMemInfo info = SnapshotToRadioMemInfo(BuildRadioSnapshot(busyState()));
    EXPECT_EQ(info.ulVFOA_Freq, 14060000);
    EXPECT_EQ(info.ulVFOB_Freq, 7040000);
    EXPECT_EQ(info.uiCurXFILBW, 12);
    EXPECT_EQ(info.iRFPower, 55);
    EXPECT_EQ(info.uiActiveRxVFO, 1);
    EXPECT_EQ(info.bPreAmpMode, 1);
    EXPECT_EQ(info.iIncTuneReading, -120);
    EXPECT_EQ(info.bRITEnable, 1);
    EXPECT_EQ(info.bXITEnable, 0);
}

TEST(QsoLogFileName, CallSignBecomesOneSafeFileName) {
    EXPECT_EQ(QsoLogFileName("N0CALL"), "N0CALL.QSO.Log");
    EXPECT_EQ(QsoLogFileName(""), "Orvo.QSO.Log");
    EXPECT_EQ(QsoLogFileName("VE3/N0CALL"), "VE3_N0CALL.QSO.Log");
    EXPECT_EQ(QsoLogFileName("A\\B\tC\x7f"), "A_B_C_.QSO.Log");
    // A long call sign is kept whole, not cut into a fixed buffer.
    const std::string longCall(79, 'K');
    EXPECT_EQ(QsoLogFileName(longCall), longCall + ".QSO.Log");
}

struct PartnerCase {
    const char* name;
    std::uint64_t type;
    std::string payload;
    std::optional<PartnerMessage> expected;
};
ROW_NAME(PartnerCase, row.name);

class PartnerMessageTest : public ::testing::TestWithParam<PartnerCase> {};

TEST_P(PartnerMessageTest, ChecksSizeAndClamps) {
    const PartnerCase& c = GetParam();
    std::string error;
    const auto got = ParsePartnerMessage(c.type, c.payload, &error);
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(error.empty(), c.expected.has_value()) << error;
}

using T = PartnerMessageType;
const PartnerCase kPartnerCases[] = {
    {"Title83", 1, std::string(83, 'P'), PartnerMessage{T::PartnerTitle, std::string(83, 'P'), 0}},
    {"Title84", 1, std::string(84, 'P'), std::nullopt},
    {"TitleCutAtNul", 1, std::string("Log\0junk", 8), PartnerMessage{T::PartnerTitle, "Log", 0}},
    {"Snapshot", 2, "", PartnerMessage{T::SnapshotRequest, "", 0}},
    {"Speed3Bytes", 3, std::string(3, '\0'), std::nullopt},
    {"Speed5Bytes", 3, le32(22) + 'x', std::nullopt},
    {"Speed60Clamped", 3, le32(60), PartnerMessage{T::CWSpeed, "", 50}},
    {"Speed5Clamped", 3, le32(5), PartnerMessage{T::CWSpeed, "", 9}},
    {"Speed22", 3, le32(22), PartnerMessage{T::CWSpeed, "", 22}},
    {"Power9999", 4, le32(9999), PartnerMessage{T::RFPower, "", 150}},
    {"PowerNegative", 4, le32(-5), PartnerMessage{T::RFPower, "", 0}},
    {"Power50", 4, le32(50), PartnerMessage{T::RFPower, "", 50}},
    {"PowerShort", 4, "", std::nullopt},
    {"TextEmpty", 5, "", PartnerMessage{T::CWText, "", 0}},
    {"Text254", 5, std::string(254, 'e'), PartnerMessage{T::CWText, std::string(254, 'e'), 0}},
    {"Text255", 5, std::string(255, 'e'), std::nullopt},
    {"Forget", 6, "", PartnerMessage{T::ForgetPartner, "", 0}},
    {"Type0", 0, "", std::nullopt},
    {"Type7", 7, "abc", std::nullopt},
    {"HugeType", 0x100000001ULL, le32(22), std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Types, PartnerMessageTest, ::testing::ValuesIn(kPartnerCases), CaseName());

struct SliderCase {
    const char* name;
    int (*step)(int, int, int);
    int start;
    int code;
    int position;
    int expected;
};
ROW_NAME(SliderCase, row.name);

class SliderRuleTest : public ::testing::TestWithParam<SliderCase> {};

TEST_P(SliderRuleTest, NewValue) {
    const SliderCase& c = GetParam();
    EXPECT_EQ(c.step(c.start, c.code, c.position), c.expected);
}

const SliderCase kSliderCases[] = {
    {"PowerLineDownAt0", PowerSliderStep, 0, 1, 150, 0},
    {"PowerLineUpAt150", PowerSliderStep, 150, 0, 0, 150},
    {"PowerLineUp", PowerSliderStep, 50, 0, 99, 51},
    {"PowerPageUpCaps", PowerSliderStep, 145, 2, 0, 150},
    {"PowerPageDownBelow10", PowerSliderStep, 5, 3, 150, 5},
    {"PowerPageDownFrom10", PowerSliderStep, 10, 3, 150, 0},
    {"PowerThumbIsInverted", PowerSliderStep, 0, 5, 100, 50},
    {"PowerEndKeeps", PowerSliderStep, 42, 8, 0, 42},
    {"PowerTopBottomKeep", PowerSliderStep, 42, 6, 0, 42},
    {"SpeedLineUpAt9", CWSpeedSliderStep, 9, 0, 9, 9},
    {"SpeedPageDownAt50", CWSpeedSliderStep, 50, 3, 50, 50},
    {"SpeedPageUpFloors", CWSpeedSliderStep, 12, 2, 9, 9},
    {"SpeedFromDefaultOne", CWSpeedSliderStep, 1, 1, 9, 9},
    {"SpeedThumb", CWSpeedSliderStep, 20, 4, 33, 33},
    {"SquelchPageUpAdds", SquelchSliderStep, 100, 2, 75, 125},
    {"SquelchPageDownSubtracts", SquelchSliderStep, 100, 3, 125, 75},
    {"SquelchLineUpBelow25", SquelchSliderStep, 10, 0, 0, 10},
    {"SquelchCaps", SquelchSliderStep, 240, 1, 250, 250},
    {"SquelchEndRoundsDown", SquelchSliderStep, 137, 8, 137, 125},
    {"SquelchThumb", SquelchSliderStep, 0, 5, 137, 137},
};
INSTANTIATE_TEST_SUITE_P(Rules, SliderRuleTest, ::testing::ValuesIn(kSliderCases), CaseName());

}  // namespace
