// Frequency sets against the simulator at 4800 baud 8N2 with auto-info on: a
// fast run of sets reaches the radio at most once per echo time, latest wins,
// and everything else keeps its place and its pauses.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "radio_test_support.h"
#include "radiolink/k2_radio_port.h"
#include "sim/k2_simulator.h"
#include "tests/support/row_names.h"

namespace {

using namespace radiotest;

// The radio's report of a set ("FA...;" + "IF...;") at 4800 baud 8N2.
constexpr auto kEchoTime = std::chrono::duration<double, std::milli>(52 * 11 / 4.8);
// Stamps are taken by a thread that may run a little late under load.
constexpr auto kStampTolerance = std::chrono::milliseconds(15);
constexpr std::int32_t kBase = 7000000;

std::string SetText(int vfo, std::int32_t hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%011d", vfo == 0 ? "FA" : "FB", hz);
    return text;
}

bool IsSet(const sim::CommandRecord& command) {
    return command.text.size() == 13 &&
           (command.text.starts_with("FA") || command.text.starts_with("FB"));
}

std::int32_t Hz(const sim::CommandRecord& command) {
    return std::stoi(command.text.substr(2));
}

struct Rig {
    explicit Rig(bool readPacing, double lineTimeScale = 1.0) : log(events), notifier(events) {
        radio = StartRadio(1, readPacing);
        RadioPortServices s;
        s.log = &log;
        s.notifier = &notifier;
        s.serialDir = dir.path();
        s.replyPollInterval = 20ms;
        s.lineTimeScale = lineTimeScale;
        port = std::make_unique<CK2RadioPort>(s, kLogCommands);
    }
    ~Rig() { port.reset(); }

    std::unique_ptr<sim::K2Simulator> StartRadio(unsigned com, bool readPacing) {
        sim::K2SimulatorOptions options;
        options.folder = dir.path();
        options.com = com;
        options.readPacing = readPacing;
        auto started = std::make_unique<sim::K2Simulator>(options);
        EXPECT_TRUE(started->start().ok());
        return started;
    }

    void Open() {
        ASSERT_EQ(port->OpenRadioPort(1, 4800, 8, 0, 2), K2ERR_NONE);
        ASSERT_TRUE(radio->waitForCommand("AI3", 3s));
        from = radio->commandCount();
    }

    // Every set accepted at once, `spacing` apart; each VFOFreq answers 0,
    // the replaced ones included.
    void Drag(const std::vector<std::pair<int, std::int32_t>>& sets,
              std::chrono::milliseconds spacing) {
        for (const auto& [vfo, hz] : sets) {
            EXPECT_EQ(port->VFOFreq(1, static_cast<std::int16_t>(vfo), hz), K2ERR_NONE);
            std::this_thread::sleep_for(spacing);
        }
        dragEnd = Clock::now();
    }

    bool Arrives(const std::string& text, std::chrono::milliseconds timeout = 3s) {
        return radio->waitForCommand(text, timeout, from).has_value();
    }

    std::vector<sim::CommandRecord> Received() const {
        auto all = radio->commands();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }

    std::vector<sim::CommandRecord> ReceivedSets() const {
        std::vector<sim::CommandRecord> sets;
        for (const auto& command : Received())
            if (IsSet(command))
                sets.push_back(command);
        return sets;
    }

    // The sets the radio link logged as written, in order.
    std::vector<std::string> LoggedSets() const {
        std::vector<std::string> out;
        for (const auto& e : events.Snapshot())
            if (e.starts_with("log 1 2 F") && e.size() == 22)
                out.push_back(e.substr(8, 13));
        return out;
    }

    TempDir dir;
    std::unique_ptr<sim::K2Simulator> radio;
    Events events;
    RecordingLog log;
    FakeNotifier notifier;
    std::unique_ptr<CK2RadioPort> port;
    std::size_t from = 0;
    Clock::time_point dragEnd;
};

std::vector<std::pair<int, std::int32_t>> Run(int count, bool alternate) {
    std::vector<std::pair<int, std::int32_t>> sets;
    for (int i = 0; i < count; ++i)
        sets.emplace_back(alternate ? i % 2 : 0, kBase + 10 * i);
    return sets;
}

// Each VFO's sets arrive newest-last, never one older than one before.
void ExpectNeverOlder(const std::vector<sim::CommandRecord>& sets) {
    std::int32_t last[2] = {0, 0};
    for (const auto& set : sets) {
        const int vfo = set.text[1] == 'A' ? 0 : 1;
        EXPECT_GT(Hz(set), last[vfo]) << set.text;
        last[vfo] = Hz(set);
    }
}

void ExpectEchoTimeApart(const std::vector<sim::CommandRecord>& sets) {
    for (std::size_t i = 1; i < sets.size(); ++i)
        EXPECT_GE(sets[i].time - sets[i - 1].time + kStampTolerance, kEchoTime) << sets[i].text;
}

void HundredSetsInOneSecond(Rig& rig) {
    const auto began = Clock::now();
    rig.Drag(Run(100, false), 10ms);
    ASSERT_TRUE(rig.Arrives(SetText(0, kBase + 990)));
    const auto sets = rig.ReceivedSets();
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.front().text, SetText(0, kBase));
    EXPECT_EQ(sets.back().text, SetText(0, kBase + 990));
    // The last one within an echo time and a set's wire time of the drag's
    // end, checked generously.
    EXPECT_LT(sets.back().time - rig.dragEnd, 1s);
    ExpectNeverOlder(sets);
    // At most one per echo time, about ten in that second.
    const double allowed = (sets.back().time - began) / kEchoTime + 1;
    EXPECT_LE(static_cast<double>(sets.size()), allowed);
    // A set is logged when it is written: replaced ones never appear.
    std::vector<std::string> received;
    for (const auto& set : sets)
        received.push_back(set.text);
    EXPECT_EQ(rig.LoggedSets(), received);
}

void HundredSetsTakenAsTheyCome(Rig& rig) {
    rig.Drag(Run(100, false), 10ms);
    ASSERT_TRUE(rig.Arrives(SetText(0, kBase + 990)));
    const auto sets = rig.ReceivedSets();
    EXPECT_EQ(sets.front().text, SetText(0, kBase));
    ExpectNeverOlder(sets);
    ExpectEchoTimeApart(sets);
}

void InterleavedVfos(Rig& rig) {
    rig.Drag(Run(100, true), 10ms);
    ASSERT_TRUE(rig.Arrives(SetText(0, kBase + 980)));
    ASSERT_TRUE(rig.Arrives(SetText(1, kBase + 990)));
    const auto sets = rig.ReceivedSets();
    ExpectNeverOlder(sets);
    ExpectEchoTimeApart(sets);
}

void CommandBetweenTwoRuns(Rig& rig) {
    rig.Drag(Run(10, false), 5ms);
    EXPECT_EQ(rig.port->OperatingMode(1, 3), K2ERR_NONE);
    std::vector<std::pair<int, std::int32_t>> second;
    for (int i = 0; i < 10; ++i)
        second.emplace_back(0, kBase + 1000 + 10 * i);
    rig.Drag(second, 5ms);
    ASSERT_TRUE(rig.Arrives(SetText(0, kBase + 1090)));

    const auto received = rig.Received();
    std::vector<std::string> texts;
    std::size_t mode = received.size();
    for (std::size_t i = 0; i < received.size(); ++i) {
        texts.push_back(received[i].text);
        if (received[i].text == "MD3")
            mode = i;
    }
    ASSERT_LT(mode, received.size()) << ::testing::PrintToString(texts);
    ASSERT_GT(mode, 0u);
    EXPECT_EQ(received[mode - 1].text, SetText(0, kBase + 90)) << "the waiting set went first";
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "MD3"), 1);
    for (const auto& command : received)
        EXPECT_TRUE(IsSet(command) || command.text == "MD3") << command.text;
    EXPECT_EQ(texts.back(), SetText(0, kBase + 1090));
    ExpectNeverOlder(rig.ReceivedSets());
}

void SequenceWhileASetWaits(Rig& rig) {
    EXPECT_EQ(rig.port->VFOFreq(1, 0, kBase), K2ERR_NONE);
    EXPECT_EQ(rig.port->VFOFreq(1, 0, kBase + 10), K2ERR_NONE);  // waits an echo time
    RadioMemInfo state;
    state.ulVFOA_Freq = 3550000;
    state.ulVFOB_Freq = 3560000;
    state.uiOpMode = 3;
    state.uiXFIL = 2;
    state.uiCurXFILBW = 1;
    state.uiCWSpeed = 22;
    state.uiActiveRxVFO = 0;
    state.uiActiveTxVFO = 1;
    EXPECT_EQ(rig.port->DownloadRadioInfo(state), K2ERR_NONE);
    ASSERT_TRUE(rig.Arrives("KS022"));

    const auto received = rig.Received();
    std::vector<std::string> texts;
    for (const auto& command : received)
        texts.push_back(command.text);
    ASSERT_EQ(texts.size(), 11u) << ::testing::PrintToString(texts);
    EXPECT_EQ(texts[0], SetText(0, kBase));
    EXPECT_EQ(texts[1], SetText(0, kBase + 10));
    EXPECT_EQ(texts[2], SetText(0, 3550000));
    EXPECT_EQ(texts[3], SetText(1, 3560000));
    // The waiting set went at once, not an echo time later; the sequence's
    // commands keep their pauses.
    EXPECT_LT(received[2].time - received[1].time, 100ms);
    for (std::size_t i = 3; i < received.size(); ++i)
        EXPECT_GE(received[i].time - received[i - 1].time + kStampTolerance, 100ms) << texts[i];
}

void HangUpWhileASetWaits(Rig& rig) {
    EXPECT_EQ(rig.port->VFOFreq(1, 0, kBase), K2ERR_NONE);
    EXPECT_EQ(rig.port->VFOFreq(1, 0, kBase + 10), K2ERR_NONE);  // waits
    ASSERT_TRUE(rig.Arrives(SetText(0, kBase)));
    // Long enough for a set written at once to have been taken too.
    std::this_thread::sleep_for(150ms);
    rig.radio->closeMaster();
    // The radio link finds the line gone; then the radio comes back as COM2.
    std::this_thread::sleep_for(kEchoTime * 4 * 2);
    auto second = rig.StartRadio(2, true);
    ASSERT_EQ(rig.port->ReopenRadioPort(2), K2ERR_NONE);
    ASSERT_TRUE(second->waitForCommand("AI3", 3s));
    EXPECT_EQ(rig.port->VFOFreq(1, 0, kBase + 20), K2ERR_NONE);
    ASSERT_TRUE(second->waitForCommand(SetText(0, kBase + 20), 3s));

    for (const auto* radio : {rig.radio.get(), second.get()})
        for (const auto& command : radio->commands())
            EXPECT_NE(command.text, SetText(0, kBase + 10)) << "a dropped set was written";
    rig.port->CloseRadioPort();
}

struct Case {
    const char* name;
    bool readPacing;
    double lineTimeScale;
    std::function<void(Rig&)> run;
};
ROW_NAME(Case, row.name);

class FrequencyCoalescingTest : public ::testing::TestWithParam<Case> {};

TEST_P(FrequencyCoalescingTest, LatestSetWinsAndOthersKeepTheirPlace) {
    Rig rig(GetParam().readPacing, GetParam().lineTimeScale);
    rig.Open();
    GetParam().run(rig);
}

const Case kCases[] = {
    {"HundredSetsInOneSecond", true, 1.0, HundredSetsInOneSecond},
    {"HundredSetsTakenAsTheyCome", false, 1.0, HundredSetsTakenAsTheyCome},
    {"InterleavedVfos", true, 1.0, InterleavedVfos},
    {"CommandBetweenTwoRuns", true, 1.0, CommandBetweenTwoRuns},
    {"SequenceWhileASetWaits", false, 1.0, SequenceWhileASetWaits},
    // A slower count of the line keeps the set waiting (four echo times, half
    // a second) while the line is cut.
    {"HangUpWhileASetWaits", true, 0.25, HangUpWhileASetWaits},
};

INSTANTIATE_TEST_SUITE_P(Rows, FrequencyCoalescingTest, ::testing::ValuesIn(kCases), CaseName());

TEST(FrequencyCoalescingTest, NoPortRefusesAndNothingWaits) {
    TempDir dir;
    auto radio = std::make_unique<sim::K2Simulator>([&] {
        sim::K2SimulatorOptions options;
        options.folder = dir.path();
        return options;
    }());
    ASSERT_TRUE(radio->start().ok());
    RadioPortServices s;
    s.serialDir = dir.path();
    CK2RadioPort port(s, 0);
    EXPECT_EQ(port.VFOFreq(1, 0, kBase), K2ERR_PORT_NOT_OPEN);
    ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 2), K2ERR_NONE);
    ASSERT_TRUE(radio->waitForCommand("AI3", 3s));
    port.CloseRadioPort();
    for (const auto& command : radio->commands())
        EXPECT_FALSE(IsSet(command)) << command.text;
}

}  // namespace
