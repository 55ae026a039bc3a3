#include "server/ds_status.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace {

using namespace brakton;

constexpr std::uint32_t S = kIndicatorOff;
constexpr std::uint32_t Y = kIndicatorOn;
constexpr std::uint32_t B = kIndicatorSecond;

struct DsCase {
    const char* name;
    int code;
    const char* text;
    std::optional<std::string> display;
    // NB, ANT2, PRE, ATT, VFOB, RIT, XIT
    std::array<std::uint32_t, kIndCount> colors;
};
ROW_NAME(DsCase, row.name);

class DsReplyTest : public ::testing::TestWithParam<DsCase> {};

TEST_P(DsReplyTest, ChangesTheDialogOnlyForAFullDisplayReply) {
    const DsCase& c = GetParam();
    const std::optional<DsStatus> parsed = parseDsReply(c.code, c.text);
    ASSERT_EQ(parsed.has_value(), c.display.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->display, *c.display);
        EXPECT_EQ(indicatorColors(parsed->first, parsed->second), c.colors);
    }
}

const DsCase kReplies[] = {
    {"NoiseBlankerAndXit", 5, "DS  7040.004001", "  7040.00", {Y, S, S, S, S, S, B}},
    {"NothingLit", 5, "DS  7040.000000", "  7040.00", {S, S, S, S, S, S, S}},
    {"EverythingLit", 5, "DS  7040.007f7f", "  7040.00", {B, Y, Y, B, B, B, B}},
    {"UpperCaseHex", 5, "DS 14060.00C100", " 14060.00", {Y, S, S, S, S, S, Y}},
    {"ShortestTranslated", 5, "DS 7040.00c100", " 7040.00", {Y, S, S, S, S, S, Y}},
    {"FirstByteOnly", 5, "DS  7040.003e00", "  7040.00", {S, Y, Y, Y, Y, Y, S}},
    {"TooShort", 5, "DS12", std::nullopt, {}},
    {"RawUntranslated", 5, "DS@@7040", std::nullopt, {}},
    {"NotHexTail", 5, "DS  7040.00zz01", std::nullopt, {}},
    {"NotStartingWithDs", 5, "XX  7040.004001", std::nullopt, {}},
    {"OtherCode", 6, "DS  7040.004001", std::nullopt, {}},
};

INSTANTIATE_TEST_SUITE_P(Replies, DsReplyTest, ::testing::ValuesIn(kReplies), CaseName());

TEST(DsIndicatorTest, TextsInTheDialogsOrder) {
    const char* expected[] = {"NB", "ANT2", "PRE", "ATT", "VFOB", "RIT", "XIT"};
    for (int i = 0; i < kIndCount; ++i) {
        EXPECT_STREQ(indicatorText(i), expected[i]);
    }
}

}  // namespace
