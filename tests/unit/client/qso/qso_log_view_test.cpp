#include "client/qso/qso_log_view.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "client/qso/qso_log_file.h"
#include "tests/support/qso_test_entries.h"
#include "tests/support/row_names.h"

namespace {

using pelorin::QSO_LOG_ENTRY;
using pelorin::QsoEditForm;

using qsotest::at;
using qsotest::changed;
using qsotest::normalEntry;

// In RTTY reverse, QSL exchanged, with a comment beyond ASCII.
QSO_LOG_ENTRY contestEntry() {
    return changed(qsotest::contestEntry(), [](QSO_LOG_ENTRY& e) {
        e.nMode = 9;
        e.nQSLStatus = 3;
        e.szComment = "Jürgen";
    });
}

TEST(QsoLogRows, NormalAndContestRowsFillTheirStylesColumns) {
    const std::vector<std::string> normal = pelorin::LogRowTexts(normalEntry(), 0, 3);
    EXPECT_EQ(normal, (std::vector<std::string>{"   3", "N0CALL", "07/04/1999", "14:30:00", "  20M",
                                                "  14025.00", "CW", "Ann", "Anytown", "599", "579",
                                                "Sent", "tnx"}));
    EXPECT_EQ(normal.size(), pelorin::LogColumns(0).size());

    const std::vector<std::string> contest = pelorin::LogRowTexts(contestEntry(), 1, 12);
    EXPECT_EQ(contest,
              (std::vector<std::string>{"  12", "K1TEST", "11/23/2024", "18:30:05", "  40M",
                                        "   7030.50", "RTTYR", "599 05", "Exchanged", "Jürgen"}));
    EXPECT_EQ(contest.size(), pelorin::LogColumns(1).size());

    EXPECT_TRUE(pelorin::LogColumns(2).empty());
    EXPECT_TRUE(pelorin::LogRowTexts(normalEntry(), 2, 1).empty());
}

TEST(QsoLogRows, UnknownBandModeAndQslShowEmptyNames) {
    QSO_LOG_ENTRY e = normalEntry();
    e.nBand = -1;
    e.nMode = -1;
    e.nQSLStatus = 7;
    e.lFreq = 0;
    const std::vector<std::string> row = pelorin::LogRowTexts(e, 0, 1);
    EXPECT_EQ(row[4], "");
    EXPECT_EQ(row[5], "      0.00");
    EXPECT_EQ(row[6], "");
    EXPECT_EQ(row[11], "");
}

TEST(QsoLogStatistics, CountsBandsZeroToEightAndEveryContactInTheTotal) {
    std::vector<QSO_LOG_ENTRY> entries;
    for (int band : {0, 4, 4, 8, -1, 9}) {
        QSO_LOG_ENTRY e;
        e.nBand = band;
        entries.push_back(e);
    }
    const pelorin::BandCounts counts = pelorin::CountBands(entries);
    EXPECT_EQ(counts.total, 6);
    EXPECT_EQ(counts.bands, (std::array<int, 9>{1, 0, 0, 0, 2, 0, 0, 0, 1}));
    EXPECT_EQ(pelorin::FormatCount(counts.total), "   6");
}

TEST(QsoLogSearch, TheCallIsTheLineUpToItsFirstBlank) {
    EXPECT_EQ(pelorin::SearchLineCall("N0CALL CW QSO on 07/04/1999 at 14:30:00 on   20M"),
              "N0CALL");
    EXPECT_EQ(pelorin::SearchLineCall("K1ABC"), "K1ABC");
    EXPECT_EQ(pelorin::SearchLineCall(""), "");
}

// --- Editor boxes ----------------------------------------------------------------------------

struct TextCase {
    std::string name;
    std::string text;
    bool valid;
};
ROW_NAME(TextCase, row.name);

class QsoEditDate : public ::testing::TestWithParam<TextCase> {};

TEST_P(QsoEditDate, TakesOnlyRealDates) {
    EXPECT_EQ(pelorin::ParseEditDate(GetParam().text).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Texts, QsoEditDate,
                         ::testing::Values(TextCase{"AsShown", "07/04/1999", true},
                                           TextCase{"OneDigitMonthAndDay", "7/4/1999", true},
                                           TextCase{"BlanksAround", " 07/04/1999 ", true},
                                           TextCase{"LeapDay", "02/29/2024", true},
                                           TextCase{"NoLeapDay", "02/29/2023", false},
                                           TextCase{"ThirtiethOfFebruary", "02/30/2024", false},
                                           TextCase{"MonthThirteen", "13/01/2024", false},
                                           TextCase{"DayZero", "01/00/2024", false},
                                           TextCase{"TwoDigitYear", "07/04/99", false},
                                           TextCase{"FiveDigitYear", "07/04/19999", false},
                                           TextCase{"DayMonthYearWithDots", "04.07.1999", false},
                                           TextCase{"LetterO", "07/O4/1999", false},
                                           TextCase{"Empty", "", false}),
                         CaseName());

class QsoEditTime : public ::testing::TestWithParam<TextCase> {};

TEST_P(QsoEditTime, TakesOnlyRealTimes) {
    EXPECT_EQ(pelorin::ParseEditTime(GetParam().text).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Texts, QsoEditTime,
                         ::testing::Values(TextCase{"AsShown", "14:30:00", true},
                                           TextCase{"Midnight", "00:00:00", true},
                                           TextCase{"LastSecond", "23:59:59", true},
                                           TextCase{"Hour24", "24:00:00", false},
                                           TextCase{"Minute60", "12:60:00", false},
                                           TextCase{"LeapSecond", "23:59:60", false},
                                           TextCase{"NoSeconds", "14:30", false},
                                           TextCase{"TrailingText", "14:30:00pm", false},
                                           TextCase{"Empty", "", false}),
                         CaseName());

class QsoEditFrequency : public ::testing::TestWithParam<TextCase> {};

TEST_P(QsoEditFrequency, TakesWholeHertzUpToTheLargest32BitValue) {
    EXPECT_EQ(pelorin::ParseEditFrequency(GetParam().text).has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Texts, QsoEditFrequency,
                         ::testing::Values(TextCase{"Hertz", "14025001", true},
                                           TextCase{"Zero", "0", true},
                                           TextCase{"Largest", "2147483647", true},
                                           TextCase{"OneAboveTheLargest", "2147483648", false},
                                           TextCase{"ElevenDigits", "99999999999", false},
                                           TextCase{"KiloHertzWithDecimals", "14025.00", false},
                                           TextCase{"Negative", "-1", false},
                                           TextCase{"Letters", "14MHz", false},
                                           TextCase{"Blank", "  ", false}),
                         CaseName());

TEST(QsoEditSpinners, UpGoesToTheNextAndDownToThePreviousBothWrapping) {
    // Up through every mode and back to the first.
    std::vector<int> modes;
    int index = pelorin::EditorModeIndex(1);
    for (int i = 0; i < 6; ++i) {
        index = pelorin::StepModeIndex(index, -1);
        modes.push_back(pelorin::kEditorModes[static_cast<std::size_t>(index)]);
    }
    EXPECT_EQ(modes, (std::vector<int>{2, 3, 6, 7, 9, 1}));
    EXPECT_EQ(pelorin::StepModeIndex(0, +1), 5);
    EXPECT_EQ(pelorin::StepModeIndex(3, +1), 2);

    EXPECT_EQ(pelorin::StepQslStatus(3, -1), 0);
    EXPECT_EQ(pelorin::StepQslStatus(0, +1), 3);
    EXPECT_EQ(pelorin::StepQslStatus(1, -1), 2);

    // From a value outside the spinner: up starts at the first, down at the last.
    EXPECT_EQ(pelorin::StepModeIndex(-1, -1), 0);
    EXPECT_EQ(pelorin::StepModeIndex(-1, +1), 5);
    EXPECT_EQ(pelorin::StepQslStatus(-1, +1), 3);
}

// --- Modify ----------------------------------------------------------------------------------

int noBand(std::int64_t) {
    return -1;
}

struct KeepCase {
    std::string name;
    QSO_LOG_ENTRY entry;
};
ROW_NAME(KeepCase, row.name);

class QsoEditUnchanged : public ::testing::TestWithParam<KeepCase> {};

TEST_P(QsoEditUnchanged, KeepsEveryField) {
    const QSO_LOG_ENTRY& e = GetParam().entry;
    const pelorin::QsoEditResult result = pelorin::ApplyQsoEdit(e, pelorin::EditFormOf(e), noBand);
    ASSERT_TRUE(result.entry.has_value()) << result.error;
    EXPECT_EQ(*result.entry, e);
}

INSTANTIATE_TEST_SUITE_P(
    Records, QsoEditUnchanged,
    ::testing::Values(
        KeepCase{"NormalAtOddHertz", normalEntry()},
        KeepCase{"ContestInRttyReverse", contestEntry()},
        KeepCase{"ModeOutsideTheTable", changed(normalEntry(), [](auto& e) { e.nMode = -1; })},
        KeepCase{"NoMode", changed(normalEntry(), [](auto& e) { e.nMode = 0; })},
        KeepCase{"SixMetresWithoutBand", changed(normalEntry(),
                                                 [](auto& e) {
                                                     e.lFreq = 50100000;
                                                     e.nBand = -1;
                                                 })},
        KeepCase{"BandTheTableWouldNotGive", changed(normalEntry(), [](auto& e) { e.nBand = 2; })},
        KeepCase{"QslOutsideItsStates", changed(normalEntry(), [](auto& e) { e.nQSLStatus = 7; })},
        KeepCase{"BlankAroundTheCall",
                 changed(normalEntry(), [](auto& e) { e.szCall = " W1AW "; })},
        KeepCase{
            "YearBeyondFourDigits",
            changed(normalEntry(), [](auto& e) { e.tmQSO = at(12, 31, 9999, 0, 0, 0) + 86400; })}),
    CaseName());

struct RefuseCase {
    std::string name;
    void (*change)(QsoEditForm&);
    std::string error;
    pelorin::QsoEditField box;
};
ROW_NAME(RefuseCase, row.name);

class QsoEditRefused : public ::testing::TestWithParam<RefuseCase> {};

TEST_P(QsoEditRefused, NamesTheBadBox) {
    QsoEditForm form = pelorin::EditFormOf(normalEntry());
    GetParam().change(form);
    const pelorin::QsoEditResult result = pelorin::ApplyQsoEdit(normalEntry(), form, noBand);
    EXPECT_FALSE(result.entry.has_value());
    EXPECT_EQ(result.error, GetParam().error);
    EXPECT_EQ(result.badField, GetParam().box);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QsoEditRefused,
    ::testing::Values(RefuseCase{"EmptyCall", [](QsoEditForm& f) { f.call = ""; },
                                 "Callsign is empty!", pelorin::QsoEditField::Call},
                      RefuseCase{"BlankCall", [](QsoEditForm& f) { f.call = "   "; },
                                 "Callsign is empty!", pelorin::QsoEditField::Call},
                      RefuseCase{"ThirtiethOfFebruary",
                                 [](QsoEditForm& f) { f.date = "02/30/2024"; }, "Invalid date",
                                 pelorin::QsoEditField::Date},
                      RefuseCase{"TimeWithoutSeconds", [](QsoEditForm& f) { f.time = "14:30"; },
                                 "Invalid time", pelorin::QsoEditField::Time},
                      RefuseCase{"KiloHertz", [](QsoEditForm& f) { f.frequency = "14025.00"; },
                                 "Invalid frequency", pelorin::QsoEditField::Frequency},
                      RefuseCase{"BeyondThirtyOneBits",
                                 [](QsoEditForm& f) { f.frequency = "2147483648"; },
                                 "Invalid frequency", pelorin::QsoEditField::Frequency}),
    CaseName());

TEST(QsoEditModify, TakesChangedTextsDateTimeModeAndQsl) {
    QsoEditForm form = pelorin::EditFormOf(normalEntry());
    form.call = "K2XYZ";
    form.name = "Bob";
    form.comment = "new";
    form.date = "3/10/2024";
    form.time = "2:30:00";
    form.modeIndex = pelorin::StepModeIndex(form.modeIndex, -1);
    form.qslStatus = pelorin::StepQslStatus(form.qslStatus, +1);
    const pelorin::QsoEditResult result = pelorin::ApplyQsoEdit(normalEntry(), form, noBand);
    ASSERT_TRUE(result.entry.has_value()) << result.error;
    QSO_LOG_ENTRY expected = normalEntry();
    expected.szCall = "K2XYZ";
    expected.szName = "Bob";
    expected.szComment = "new";
    expected.tmQSO = at(3, 10, 2024, 2, 30, 0);  // wall clock: no zone moves it
    expected.nMode = 6;
    expected.nQSLStatus = 0;
    EXPECT_EQ(*result.entry, expected);
}

TEST(QsoEditModify, AChangedFrequencyTakesTheBandOfItsRange) {
    const pelorin::BandLookup bands = [](std::int64_t hz) {
        return hz >= 7000000 && hz <= 7300000 ? 6 : -1;
    };
    QsoEditForm form = pelorin::EditFormOf(normalEntry());

    form.frequency = "7030000";
    auto result = pelorin::ApplyQsoEdit(normalEntry(), form, bands);
    ASSERT_TRUE(result.entry.has_value());
    EXPECT_EQ(result.entry->lFreq, 7030000);
    EXPECT_EQ(result.entry->nBand, 6);

    form.frequency = "50100000";
    result = pelorin::ApplyQsoEdit(normalEntry(), form, bands);
    ASSERT_TRUE(result.entry.has_value());
    EXPECT_EQ(result.entry->nBand, -1);

    // The same frequency written another way is no change: the band stays.
    form.frequency = " 014025001";
    result = pelorin::ApplyQsoEdit(normalEntry(), form, bands);
    ASSERT_TRUE(result.entry.has_value());
    EXPECT_EQ(result.entry->nBand, 4);
}

}  // namespace
