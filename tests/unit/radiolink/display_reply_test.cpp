#include "radiolink/display_reply.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace std::string_literals;

struct DisplayCase {
    const char* name;
    std::string reply;  // as framed, without ";"
    std::optional<std::string> expected;
};
ROW_NAME(DisplayCase, row.name);

const DisplayCase kDisplayCases[] = {
    {"Frequency",
     "DS@@7040\xB0"
     "0\xC1\x00"s,
     "DS  7040.00c100"},
    {"AllBlank", "DS@@@@@@@@\x40\x00"s, "DS        4000"},
    {"DecimalPointBeforeDigit",
     "DS\xB1"
     "2345678\x00\x00"s,
     "DS.12345678"
     "0000"},
    {"DecimalPointBeforeMappedGlyph",
     "DS\xBC"
     "ABCDEFG\x00\x00"s,
     "DS.LABCDEFG0000"},
    {"EveryPointSet", "DS\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xDB\x00\x00"s, "DS.1.2.3.4.5.6.7.r0000"},
    {"GlyphsFirstEight", "DS<>@MQVWX\x00\x00"s, "DSL- NOUIc0000"},
    {"GlyphsLastTwo", "DSZ[ABCDEF\x00\x00"s, "DSCrABCDEF0000"},
    {"UnmappedStayAsTheyAre", "DSNOUIcLr-\x00\x00"s, "DSNOUIcLr-0000"},
    {"StatusHighBitIsUnsigned", "DS@@@@@@@@\xC1\xFF"s, "DS        c1ff"},
    {"StatusSemicolon", "DS@@@@@@@@\x3B\x3B"s, "DS        3b3b"},
    {"StatusZero", "DS@@@@@@@@\x00\x01"s, "DS        0001"},
    {"BytesAfterStatusIgnored", "DS@@@@@@@@\x00\x01xyz"s, "DS        0001"},
    {"NineBytes", "DS@@@@@@@@\x00"s, std::nullopt},
    {"MnemonicOnly", "DS", std::nullopt},
    {"Empty", "", std::nullopt},
};

class Display : public testing::TestWithParam<DisplayCase> {};

TEST_P(Display, Translates) {
    const auto& c = GetParam();
    const auto text = TranslateDisplayReply(c.reply);
    EXPECT_EQ(text, c.expected);
    if (text) {
        EXPECT_GE(text->size(), 14u);
        EXPECT_LE(text->size(), 22u);
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, Display, testing::ValuesIn(kDisplayCases), CaseName());

// Readers take the last four characters as the status bytes: the hex digits
// must be exactly the two bytes, for every value they can take.
TEST(DisplayStatus, EveryByteIsTwoLowerCaseHexDigits) {
    const char* digits = "0123456789abcdef";
    for (int value = 0; value < 256; ++value) {
        std::string reply = "DS@@@@@@@@"s;
        reply += static_cast<char>(value);
        reply += static_cast<char>(255 - value);
        const auto text = TranslateDisplayReply(reply);
        ASSERT_TRUE(text.has_value());
        const std::string expected = {digits[value >> 4], digits[value & 15],
                                      digits[(255 - value) >> 4], digits[(255 - value) & 15]};
        EXPECT_EQ(text->substr(text->size() - 4), expected) << value;
    }
}

}  // namespace
