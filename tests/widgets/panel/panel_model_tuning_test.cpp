// The tuning slider with its echo latch, the RIT slider and typed
// frequencies, on the widget-free panel model.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "client/panel/front_panel_model.h"
#include "radiolink/k2_reply_codes.h"
#include "tests/support/row_names.h"

namespace {

using namespace std::chrono_literals;
using Clock = FrontPanelModel::Clock;

// One thing that happens to the panel: a slider notification, a frequency
// report from the radio, or time passing.
struct Event {
    enum Kind { Slider, Echo, Wait } kind;
    int a = 0;  // code, Hz or ms
    int b = 0;  // position
};

Event slide(int code, int position) {
    return {Event::Slider, code, position};
}
Event echo(int hz) {
    return {Event::Echo, hz, 0};
}
Event wait(int ms) {
    return {Event::Wait, ms, 0};
}

struct TuningCase {
    const char* name;
    bool turbo;
    bool locked;
    bool connected;
    std::vector<Event> events;
    std::vector<std::uint32_t> sent;
    int armed;
    std::uint32_t awaited;
    std::string activeText;
};
ROW_NAME(TuningCase, row.name);

constexpr int kDrag = 5;
constexpr int kPage = 2;
constexpr int kEnd = 8;

const TuningCase kTuning[] = {
    {"LateEchoDoesNotHoldTheRadioBack",
     false,
     false,
     true,
     {slide(kDrag, 1406010), slide(kDrag, 1406020), echo(14060100), slide(kDrag, 1406010),
      echo(14060200), echo(14060100)},
     {14060100, 14060200, 14060100},
     0,
     14060100,
     "  14060.10"},
    {"EndOfScrollAfterTheEchoSendsNothing",
     false,
     false,
     true,
     {slide(kDrag, 1406010), echo(14060100), slide(kEnd, 1406010)},
     {14060100},
     0,
     14060100,
     "  14060.10"},
    {"NoEchoForASecondDisarms",
     false,
     false,
     true,
     {slide(kDrag, 1406010), wait(1001), echo(14059000)},
     {14060100},
     0,
     14060100,
     "  14059.00"},
    {"KnobWhileAwaitingIsSkipped",
     false,
     false,
     true,
     {slide(kDrag, 1406010), wait(500), echo(14059000)},
     {14060100},
     1,
     14060100,
     "  14060.10"},
    {"TurboPageThenEndSendsThePosition",
     true,
     false,
     true,
     {slide(kPage, 1410000), slide(kEnd, 1410000)},
     {14100000},
     1,
     14100000,
     "  14100.00"},
    {"TurboEndAloneNeverSendsZero",
     true,
     false,
     true,
     {slide(kEnd, 1406050)},
     {14060500},
     1,
     14060500,
     "  14060.50"},
    {"TurboDragSendsOnlyAtTheEnd",
     true,
     false,
     true,
     {slide(kDrag, 1406010), slide(kDrag, 1406020)},
     {},
     0,
     0,
     "  14060.20"},
    {"LockedDoesNothing",
     false,
     true,
     true,
     {slide(kDrag, 1406010), slide(kEnd, 1406010)},
     {},
     0,
     0,
     "  14060.00"},
    {"NotConnectedShowsButDoesNotArm",
     false,
     false,
     false,
     {slide(kDrag, 1406010)},
     {},
     0,
     0,
     "  14060.10"},
};

class TuningSequence : public ::testing::TestWithParam<TuningCase> {};

TEST_P(TuningSequence, SendsAndLatches) {
    const TuningCase& row = GetParam();
    FrontPanelModel model;
    model.m_ulVFOAFreq = 14060000;
    model.m_nTuningSpan = 2;
    model.m_CurTuningRange = {"  20M", 4, 14000000, 14350000};
    model.SetTuningSliderWindow(14060000);
    model.m_bInVFOTurboMode = row.turbo ? 1 : 0;
    model.m_bVFOLocked = row.locked ? 1 : 0;
    Clock::time_point now{};
    std::vector<std::uint32_t> sent;
    for (const Event& event : row.events) {
        switch (event.kind) {
            case Event::Slider:
                if (const auto hz = model.OnTuningSlider(event.a, event.b, row.connected, now)) {
                    sent.push_back(*hz);
                }
                break;
            case Event::Echo:
                model.ParseRadioReply(K2_CMD_FA, "FA000" + std::to_string(event.a), now);
                break;
            case Event::Wait:
                now += std::chrono::milliseconds(event.a);
                break;
        }
    }
    EXPECT_EQ(sent, row.sent);
    EXPECT_EQ(model.EchoAwaited(now) ? 1 : 0, row.armed);
    if (row.armed != 0 || !row.sent.empty()) {
        EXPECT_EQ(model.m_ulAwaitedFreq, row.awaited);
    }
    EXPECT_EQ(model.m_strActiveFreq, row.activeText);
    for (const std::uint32_t hz : sent) {
        EXPECT_NE(hz, 0U);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, TuningSequence, ::testing::ValuesIn(kTuning), CaseName());

// The RIT slider: steps on the position, and at the end of a scroll the
// RITTuning that takes the radio from its offset to the thumb's.
struct RitCase {
    const char* name;
    int start;
    int offset;
    int code;
    int position;
    int after;
    bool tunes;
    int direction;
    int amount;
};
ROW_NAME(RitCase, row.name);

const RitCase kRit[] = {
    {"LineUp", 1000, 0, 0, 999, 990, false, 0, 0},
    {"LineUpStopsNearTheBottom", 10, 0, 0, 9, 10, false, 0, 0},
    {"LineDown", 1000, 0, 1, 1001, 1010, false, 0, 0},
    {"LineDownStopsNearTheTop", 1995, 0, 1, 1996, 1995, false, 0, 0},
    {"PageUpRaises", 1000, 0, 2, 600, 1050, false, 0, 0},
    {"PageDownLowers", 1000, 0, 3, 1400, 950, false, 0, 0},
    {"Drag", 1000, 0, 5, 1234, 1234, false, 0, 0},
    {"EndAtTheOffset", 1070, 70, 8, 1070, 1070, true, 1, 0},
    {"EndAbove", 1035, 0, 8, 1035, 1035, true, 1, 35},
    {"EndBelow", 965, 0, 8, 965, 965, true, 2, 35},
    {"EndBelowANegativeOffset", 950, -20, 8, 950, 950, true, 2, 30},
};

class RitSlider : public ::testing::TestWithParam<RitCase> {};

TEST_P(RitSlider, MovesAndTunes) {
    const RitCase& row = GetParam();
    FrontPanelModel model;
    model.m_nRITSliderPos = row.start;
    model.m_nRITOffset = row.offset;
    const auto tuning = model.OnRitSlider(row.code, row.position);
    EXPECT_EQ(model.m_nRITSliderPos, row.after);
    ASSERT_EQ(tuning.has_value(), row.tunes);
    if (tuning) {
        EXPECT_EQ(tuning->direction, row.direction);
        EXPECT_EQ(tuning->amount, row.amount);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RitSlider, ::testing::ValuesIn(kRit), CaseName());

// Typed frequencies: exact decimal kHz to the nearest Hz, or refused.
struct EntryCase {
    const char* name;
    const char* text;
    std::optional<std::uint32_t> hz;
};
ROW_NAME(EntryCase, row.name);

const EntryCase kEntries[] = {
    {"TwoDecimals", "14060.01", 14060010},
    {"FifteenMetres", "21060.11", 21060110},
    {"WholeKHz", "7040", 7040000},
    {"BlanksAround", "  14060.00 ", 14060000},
    {"HzDigits", "14060.123", 14060123},
    {"RoundsHalfUp", "14060.0125", 14060013},
    {"RoundsDown", "14060.0124", 14060012},
    {"TopOfTheRange", "30000", 30000000},
    {"TrailingPoint", "7040.", 7040000},
    {"Empty", "", std::nullopt},
    {"Blank", "   ", std::nullopt},
    {"Letters", "abc", std::nullopt},
    {"Negative", "-5", std::nullopt},
    {"Zero", "0", std::nullopt},
    {"ZeroWithFraction", "0.0004", std::nullopt},
    {"AboveTheRange", "30000.01", std::nullopt},
    {"Huge", "99999999999999999999", std::nullopt},
    {"TrailingLetter", "14060.01x", std::nullopt},
    {"Exponent", "1.4e4", std::nullopt},
    {"BlankInside", "14 060", std::nullopt},
    {"PointOnly", ".", std::nullopt},
    {"TwoPoints", "14060.0.1", std::nullopt},
};

class FrequencyEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(FrequencyEntry, ParsesExactly) {
    EXPECT_EQ(ParseFrequencyEntry(GetParam().text), GetParam().hz);
}

INSTANTIATE_TEST_SUITE_P(Rows, FrequencyEntry, ::testing::ValuesIn(kEntries), CaseName());

}  // namespace
