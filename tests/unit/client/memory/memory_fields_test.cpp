// The memory dialogs' rules without a window: typed power and CW speed, the
// choice lists' words, and the rows of the recall and edit lists.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "client/memory/memory_fields.h"
#include "tests/support/row_names.h"

using namespace memory_fields;

namespace {

struct EntryCase {
    const char* name;
    const char* text;
    std::optional<int> value;
};
ROW_NAME(EntryCase, row.name);

// Power in watts, as the setting in tenths. Single-precision reading once
// turned 2.3 into 22.
const EntryCase kPowerRows[] = {
    {"FiveWatts", "5.0", 50},
    {"PaddedAsShown", "   5.0", 50},
    {"TwelveAndAHalf", "12.5", 125},
    {"TwoPointThreeIsTwentyThree", "2.3", 23},
    {"RoundedToTenths", "2.35", 24},
    {"Zero", "0", 0},
    {"Fifteen", "15.0", 150},
    {"WholeNumber", "7", 70},
    {"JustAbove", "15.1", std::nullopt},
    {"RoundsAbove", "15.05", std::nullopt},
    {"Letters", "x", std::nullopt},
    {"Empty", "", std::nullopt},
    {"Negative", "-1", std::nullopt},
    {"TrailingJunk", "5W", std::nullopt},
    {"LoneDot", ".", std::nullopt},
    {"HugeNumber", "99999999999999999999", std::nullopt},
};

class PowerEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(PowerEntry, ReadsTenthsOfAWatt) {
    EXPECT_EQ(ParsePowerEntry(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Rows, PowerEntry, ::testing::ValuesIn(kPowerRows), CaseName());

const EntryCase kSpeedRows[] = {
    {"One", "1", 1},
    {"Hundred", "100", 100},
    {"Blanks", " 25 ", 25},
    {"Zero", "0", std::nullopt},
    {"HundredAndOne", "101", std::nullopt},
    {"Letters", "x", std::nullopt},
    {"Fraction", "2.5", std::nullopt},
    {"Empty", "", std::nullopt},
    {"Signed", "+20", std::nullopt},
};

class CWSpeedEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(CWSpeedEntry, TakesWholeWordsPerMinute) {
    EXPECT_EQ(ParseCWSpeedEntry(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Rows, CWSpeedEntry, ::testing::ValuesIn(kSpeedRows), CaseName());

const Choice& choice(Word word) {
    for (const Choice& c : Choices()) {
        if (c.word == word) {
            return c;
        }
    }
    throw std::logic_error("no such list");
}

TEST(MemoryChoices, WordsMapToItemsAndBack) {
    EXPECT_EQ(IndexOf(choice(kMode), 9), 5);
    EXPECT_EQ(ValueOf(choice(kMode), 3), 6);
    EXPECT_EQ(IndexOf(choice(kAGC), 4), 2);
    EXPECT_EQ(ValueOf(choice(kAGC), 1), 2);
    EXPECT_EQ(IndexOf(choice(kXFIL), 1), 0);
    // Values outside a table select nothing, so the word stays as it was.
    EXPECT_EQ(IndexOf(choice(kMode), 4), -1);
    EXPECT_EQ(IndexOf(choice(kAGC), 3), -1);
    EXPECT_EQ(ValueOf(choice(kTxVFO), 1), 1);
}

RADIO_MEMORY_RECORD record() {
    RADIO_MEMORY_RECORD r;
    r.SetName("Forty");
    r.slot = 3;
    auto& w = r.snapshot;
    w[kVfoA] = 7025000;
    w[kVfoB] = 7040000;
    w[kMode] = 2;
    w[kXFIL] = 2;
    w[kAFIL] = 1;
    w[kAGC] = 4;
    w[kNB] = 2;
    w[kCWSpeed] = 5;
    w[kAntenna] = 2;
    w[kPower] = 50;
    w[kPreamp] = 1;
    w[kRITOn] = 1;
    return r;
}

TEST(MemoryLists, RowsShowEveryColumn) {
    const auto recall = RecallRow(record(), "  40M");
    EXPECT_EQ(recall,
              (std::array<std::string, 6>{"Forty", "   7025.00", "  40M", "USB", "XFIL2", "No"}));
    const auto edit = EditRow(record());
    EXPECT_EQ(edit, (std::array<std::string, 14>{"Forty", "   7025.00", "USB", "XFIL2", "AFIL1",
                                                 "NB2", "On", "Off", "Slow", "On", "Off", " 5",
                                                 "   5.0W", "2"}));
}

TEST(MemoryLists, ReceiveVfoBSplitAndUnknownValues) {
    RADIO_MEMORY_RECORD r = record();
    r.snapshot[kRxVFO] = 1;  // receives on B, sends on A: split
    r.snapshot[kMode] = 4;
    r.snapshot[kAGC] = 3;
    const auto recall = RecallRow(r, "");
    EXPECT_EQ(recall[1], "   7040.00");
    EXPECT_EQ(recall[3], "");
    EXPECT_EQ(recall[5], "Yes");
    const auto edit = EditRow(r);
    EXPECT_EQ(edit[1], "   7040.00");
    EXPECT_EQ(edit[2], "");
    EXPECT_EQ(edit[8], "");
}

}  // namespace
