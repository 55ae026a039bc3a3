#include "platform/config_fields.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace {

using namespace platform;

struct UtcByteCase {
    const char* name;
    int hours;
    std::uint8_t stored;
};
ROW_NAME(UtcByteCase, row.name);

class UtcByteTest : public ::testing::TestWithParam<UtcByteCase> {};

TEST_P(UtcByteTest, RoundTrips) {
    EXPECT_EQ(utcOffsetToByte(GetParam().hours), GetParam().stored);
    EXPECT_EQ(utcOffsetFromByte(GetParam().stored), GetParam().hours);
}

const UtcByteCase kUtcBytes[] = {
    {"MinusSeven", -7, 0x87},   {"PlusFive", 5, 0x05},      {"Zero", 0, 0x00},
    {"MinusTwelve", -12, 0x8C}, {"PlusFourteen", 14, 0x0E},
};

INSTANTIATE_TEST_SUITE_P(Utc, UtcByteTest, ::testing::ValuesIn(kUtcBytes), CaseName());

TEST(UtcByteTest, NegativeZeroReadsAsZero) {
    EXPECT_EQ(utcOffsetFromByte(0x80), 0);
    EXPECT_EQ(utcOffsetFromByte(0xFF), -127);
}

// Every check of the sheets' fields, with the message a refusal shows.
struct FieldCase {
    const char* name;
    FieldCheck (*check)(std::string_view);
    const char* text;
    std::optional<std::int64_t> value;
    const char* message;
};
ROW_NAME(FieldCase, row.name);

const char* const kInteger = "Please enter an integer.";
const char* const kPortRange = "Please enter an integer between 1 and 32000.";
const char* const kUtcRange = "Please enter an integer between -12 and 14.";
const char* const kEdgeRange = "Please enter an integer between 0 and 2147483647.";

class FieldCheckTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldCheckTest, AcceptsOrRefusesWithItsMessage) {
    const FieldCase& c = GetParam();
    const FieldCheck result = c.check(c.text);
    EXPECT_EQ(result.value, c.value);
    EXPECT_EQ(result.message, c.message);
}

const FieldCase kFields[] = {
    {"UtcPlusSign", checkUtcOffset, "+5", 5, ""},
    {"UtcBlanksAround", checkUtcOffset, " -7 ", -7, ""},
    {"UtcFourteen", checkUtcOffset, "14", 14, ""},
    {"UtcMinusTwelve", checkUtcOffset, "-12", -12, ""},
    {"UtcFifteen", checkUtcOffset, "15", std::nullopt, kUtcRange},
    {"UtcMinusThirteen", checkUtcOffset, "-13", std::nullopt, kUtcRange},
    {"UtcTwoHundred", checkUtcOffset, "200", std::nullopt, kUtcRange},
    {"UtcEmpty", checkUtcOffset, "", std::nullopt, kInteger},
    {"UtcLetter", checkUtcOffset, "x", std::nullopt, kInteger},
    {"UtcFraction", checkUtcOffset, "5.5", std::nullopt, kInteger},
    {"UtcBareSign", checkUtcOffset, "-", std::nullopt, kInteger},
    {"PortLow", checkNameServerPort, "1", 1, ""},
    {"PortHigh", checkNameServerPort, "32000", 32000, ""},
    {"PortZero", checkNameServerPort, "0", std::nullopt, kPortRange},
    {"PortAbove", checkNameServerPort, "32001", std::nullopt, kPortRange},
    {"PortWord", checkNameServerPort, "ten", std::nullopt, kInteger},
    {"EdgeZero", checkBandEdge, "0", 0, ""},
    {"EdgeLargest", checkBandEdge, "2147483647", 2147483647, ""},
    {"EdgeTwoToThe31", checkBandEdge, "2147483648", std::nullopt, kEdgeRange},
    {"EdgeNegative", checkBandEdge, "-1", std::nullopt, kEdgeRange},
    {"EdgeTooLongToHold", checkBandEdge, "99999999999999999999999", std::nullopt, kEdgeRange},
    {"EdgeHex", checkBandEdge, "0x10", std::nullopt, kInteger},
    {"PlainInteger", checkInteger, "-42", -42, ""},
    {"PlainGarbage", checkInteger, "4 2", std::nullopt, kInteger},
};

INSTANTIATE_TEST_SUITE_P(Fields, FieldCheckTest, ::testing::ValuesIn(kFields), CaseName());

TEST(FieldCheckTest, NameServerHostNeedsMoreThanBlanks) {
    EXPECT_EQ(checkNameServerHost("localhost"), "");
    EXPECT_EQ(checkNameServerHost(""), "Please enter a name server host.");
    EXPECT_EQ(checkNameServerHost("   "), "Please enter a name server host.");
    EXPECT_EQ(checkNameServerHost(" localhost\t"), "");
    EXPECT_EQ(checkNameServerHost("local host"), "Name Server Host must not contain blanks");
    EXPECT_EQ(trimNameServerHost(" localhost "), "localhost");
}

TEST(FieldCheckTest, BandLowEdgeMustBeBelowHighEdge) {
    EXPECT_EQ(checkBandOrder("40M", 7000000, 7300000), "");
    EXPECT_EQ(checkBandOrder("40M", 7300000, 7300000),
              "40M Low Band Edge must be below its High Band Edge.");
    EXPECT_EQ(checkBandOrder("160M", 2000000, 1800000),
              "160M Low Band Edge must be below its High Band Edge.");
}

TEST(TextFieldTest, HoldsSeventyNineBytesOfUtf8) {
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_TRUE(fitsTextField(std::string(79, 'a')));
    EXPECT_FALSE(fitsTextField(std::string(80, 'a')));
    EXPECT_TRUE(fitsTextField(std::string(76, 'a') + euro));
    EXPECT_FALSE(fitsTextField(std::string(77, 'a') + euro));
}

}  // namespace
