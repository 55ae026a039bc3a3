#include "platform/settings_value.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

struct NumberCase {
    const char* name;
    const char* text;
    std::uint64_t max;
    std::optional<std::uint64_t> value;
};
ROW_NAME(NumberCase, row.name);

class SettingNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SettingNumberTest, ParsesWholeNumbersInRange) {
    EXPECT_EQ(parseSettingNumber(GetParam().text, GetParam().max), GetParam().value);
}

const NumberCase kNumberCases[] = {
    {"Decimal", "10000", 0xFFFFFFFF, 10000},
    {"Hexadecimal", "0xDFB880", 0xFFFFFFFF, 0xDFB880},
    {"UpperCaseHex", "0XFF", 255, 255},
    {"ByteLimit", "255", 255, 255},
    {"AboveByte", "256", 255, std::nullopt},
    {"DwordLimit", "4294967295", 0xFFFFFFFF, 4294967295u},
    {"AboveDword", "4294967296", 0xFFFFFFFF, std::nullopt},
    {"HugeDoesNotWrap", "99999999999999999999999", 0xFFFFFFFF, std::nullopt},
    {"Negative", "-1", 255, std::nullopt},
    {"Sign", "+1", 255, std::nullopt},
    {"Blank", " 1", 255, std::nullopt},
    {"Empty", "", 255, std::nullopt},
    {"BarePrefix", "0x", 255, std::nullopt},
    {"Trailing", "12a", 255, std::nullopt},
    {"HexDigitsInDecimal", "ff", 255, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Settings, SettingNumberTest, ::testing::ValuesIn(kNumberCases),
                         CaseName());

TEST(CutUtf8Test, NeverSplitsACharacter) {
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    EXPECT_EQ(cutUtf8("abc", 79), "abc");
    EXPECT_EQ(cutUtf8("ab" + euro, 4), "ab");
    EXPECT_EQ(cutUtf8("ab" + euro, 5), "ab" + euro);
    EXPECT_EQ(cutUtf8(euro + euro, 3), euro);
    EXPECT_EQ(cutUtf8(euro, 2), "");
}

}  // namespace
