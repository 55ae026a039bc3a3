// The radio link against the K2 simulator over a pty, with the real pauses
// and intervals: the whole chain, and the timings the radio depends on.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "radio_test_support.h"
#include "radiolink/k2_radio_port.h"
#include "radiolink/k2_reply_decoders.h"
#include "sim/k2_simulator.h"

namespace {

using namespace radiotest;

std::unique_ptr<sim::K2Simulator> StartSim(const std::filesystem::path& folder, unsigned com,
                                           double timeScale = 1.0) {
    sim::K2SimulatorOptions options;
    options.folder = folder;
    options.com = com;
    options.timeScale = timeScale;
    auto radio = std::make_unique<sim::K2Simulator>(options);
    EXPECT_TRUE(radio->start().ok());
    return radio;
}

// Times at which the simulator finished writing each "KY2;".
std::vector<Clock::time_point> ReadyReports(const sim::K2Simulator& radio) {
    std::vector<Clock::time_point> out;
    std::string tail;
    for (const sim::ByteRecord& b : radio.byteLog()) {
        if (b.direction != sim::Direction::Out)
            continue;
        tail.push_back(static_cast<char>(b.byte));
        if (tail.size() > 4)
            tail.erase(0, tail.size() - 4);
        if (tail == "KY2;")
            out.push_back(b.time);
    }
    return out;
}

bool Decodes(int code, const std::string& reply) {
    const std::string_view body = std::string_view(reply).substr(2);
    switch (code) {
        case 13:
            return ParseIFReply(body).has_value();
        case 6:
        case 7:
            return ParseFreqReply(body).has_value();
        case 20:
            return ParsePAReply(body).has_value();
        case 23:
            return ParseRAReply(body).has_value();
        case 10:
            return ParseFWReply(body).has_value();
        case 11:
            return ParseGTReply(body).has_value();
        case 15:
            return ParseKSReply(body).has_value();
        case 21:
            return ParsePCReply(body).has_value();
        case 2:
            return ParseANReply(body).has_value();
        case 19:
            return ParseNBReply(body).has_value();
        case 30:
            return ParseSQReply(body).has_value();
        case 17:
            return ParseLKReply(body).has_value();
        default:
            return false;
    }
}

// True once `done` holds; false when `timeout` passed first.
bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::vector<std::string> Starting(const std::vector<std::string>& events, const std::string& p) {
    std::vector<std::string> out;
    for (const auto& e : events) {
        if (e.rfind(p, 0) == 0)
            out.push_back(e);
    }
    return out;
}

TEST(RadioLinkSimTest, WholeChain) {
    TempDir dir;
    auto radio1 = StartSim(dir.path(), 1, 10.0);
    auto radio2 = StartSim(dir.path(), 2, 10.0);
    Events events;
    RecordingLog log(events);
    FakeNotifier notifier(events);
    RadioPortServices s;
    s.log = &log;
    s.notifier = &notifier;
    s.serialDir = dir.path();
    CK2RadioPort port(s, 0);

    // Open: "K22;" then "AI3;" at least 100 ms later; the open takes 2 s.
    // The simulator stamps a command when its reader gets to it, which on a
    // loaded machine can be tens of milliseconds after the write, so a gap
    // that starts with a stamp can look shorter than it was. The gaps start
    // at the call instead, before which nothing was written.
    const auto openCalled = Clock::now();
    ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    const auto opened = Clock::now();
    ASSERT_TRUE(radio1->waitForCommand("AI3", 5s).has_value());
    auto commands = radio1->commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0].text, "K22");
    EXPECT_EQ(commands[1].text, "AI3");
    EXPECT_GE(commands[1].time - openCalled, 100ms);
    EXPECT_GE(opened - openCalled, 2s);

    // GetInitialRadioInfo: 13 replies with their codes, each decoding; 1.3 s.
    port.SetNotifierAddress(NOTIFIER_CORBA);
    const auto infoStart = Clock::now();
    EXPECT_EQ(port.GetInitialRadioInfo(), K2ERR_NONE);
    const auto infoTook = Clock::now() - infoStart;
    EXPECT_GE(infoTook, 1300ms);
    EXPECT_LE(infoTook, 1800ms);
    ASSERT_TRUE(events.WaitFor([](const auto& v) { return Starting(v, "cmd 17 ").size() >= 1; }));
    const std::vector<int> codes = {13, 6, 7, 20, 23, 10, 11, 15, 21, 2, 19, 30, 17};
    const auto forwarded = Starting(events.Take(), "cmd ");
    ASSERT_EQ(forwarded.size(), codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::string prefix = "cmd " + std::to_string(codes[i]) + " ";
        ASSERT_EQ(forwarded[i].rfind(prefix, 0), 0u) << forwarded[i];
        EXPECT_TRUE(Decodes(codes[i], forwarded[i].substr(prefix.size()))) << forwarded[i];
    }

    // Polling: DS then BG once a second, the first a second after enabling;
    // a static display is forwarded once.
    const std::size_t before = radio1->commandCount();
    const auto enabled = Clock::now();
    port.EnableStatusQuery(1);
    // Three polls, every one with its BG.
    ASSERT_TRUE(WaitUntil(10s, [&] {
        commands = radio1->commands();
        std::size_t polls = 0;
        for (std::size_t i = before; i < commands.size(); ++i)
            polls += commands[i].text == "DS" ? 1 : 0;
        return polls >= 3 && commands.back().text != "DS";
    }));
    std::vector<Clock::time_point> ds;
    for (std::size_t i = before; i < commands.size(); ++i) {
        if (commands[i].text != "DS")
            continue;
        ds.push_back(commands[i].time);
        ASSERT_LT(i + 1, commands.size());
        EXPECT_EQ(commands[i + 1].text, "BG");
        EXPECT_LE(commands[i + 1].time - commands[i].time, 50ms);
    }
    ASSERT_GE(ds.size(), 3u);
    EXPECT_GE(ds[0] - enabled, 1s);
    for (std::size_t i = 1; i < ds.size(); ++i) {
        EXPECT_GE(ds[i] - ds[i - 1], 850ms);
        EXPECT_LE(ds[i] - ds[i - 1], 1150ms);
    }
    ASSERT_TRUE(events.WaitFor([](const auto& v) {
        return !Starting(v, "cmd 5 ").empty() && !Starting(v, "cmd 3 ").empty();
    }));
    auto polled = events.Take();
    EXPECT_EQ(Starting(polled, "cmd 5 ").size(), 1u);
    EXPECT_EQ(Starting(polled, "cmd 3 ").size(), 1u);

    // CW: the keyed text is the text sent, in chunks of at most 24, each
    // after a ready report; then the polling of KY stops.
    const std::string text = "CQ CQ CQ DE N0CALL N0CALL N0CALL PSE K TEST 599 5NN TU";
    const std::size_t cwFrom = radio1->commandCount();
    ASSERT_EQ(port.KeyboardCW(text), K2ERR_NONE);
    const auto keyedBy = Clock::now() + 60s;
    while (radio1->keyedText().find(text) == std::string::npos && Clock::now() < keyedBy)
        std::this_thread::sleep_for(100ms);
    EXPECT_NE(radio1->keyedText().find(text), std::string::npos) << radio1->keyedText();
    // The exchange that follows the last chunk ends; then no more "KY;".
    std::this_thread::sleep_for(1s);
    const std::size_t cwEnd = radio1->commandCount();
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(radio1->waitForCommand("KY", 0ms, cwEnd).has_value());
    commands = radio1->commands();
    std::string chunks;
    const auto ready = ReadyReports(*radio1);
    std::optional<Clock::time_point> lastQuery;
    Clock::duration queryGaps{};
    Clock::duration::rep queryPairs = 0;
    for (std::size_t i = cwFrom; i < commands.size(); ++i) {
        const std::string& c = commands[i].text;
        if (c == "KY" && i > cwFrom && commands[i - 1].text == "KY") {
            queryGaps += commands[i].time - commands[i - 1].time;
            ++queryPairs;
        }
        // One query on the wire at a time, and the next soon after each
        // answer, as long as a report is awaited (the whole run): before the
        // five intervals after which an unanswered query is asked again. The
        // answer waits for a turn of the reply task and then of the CW task,
        // each of which can run late under load.
        if (c == "KY") {
            if (lastQuery) {
                EXPECT_LE(commands[i].time - *lastQuery, 450ms) << "KY polled too seldom";
            }
            lastQuery = commands[i].time;
        }
        if (c.rfind("KY ", 0) != 0)
            continue;
        const std::string chunk = c.substr(3);
        EXPECT_LE(chunk.size(), 24u);
        chunks += chunk;
        // The chunk answers a ready report, within 250 ms.
        std::optional<Clock::time_point> last;
        for (auto t : ready) {
            if (t <= commands[i].time)
                last = t;
        }
        ASSERT_TRUE(last.has_value());
        EXPECT_LE(commands[i].time - *last, 250ms);
    }
    // Queries go out on the CW task's turns, which keep to a fixed grid: a
    // turn that ran late is followed by one on time, so under load one gap
    // can be far below an interval, while the run's gaps still average at
    // least one.
    ASSERT_GT(queryPairs, 0);
    EXPECT_GE(queryGaps / queryPairs, 80ms) << "KY polled too often";
    EXPECT_EQ(chunks, text);
    EXPECT_EQ(radio1->overrunCount(), 0u);

    // Abort mid-text.
    const std::size_t abortFrom = radio1->commandCount();
    ASSERT_EQ(port.KeyboardCW(text), K2ERR_NONE);
    ASSERT_TRUE(radio1->waitForCommand("KY .+", 5s, abortFrom).has_value());
    port.AbortKeyboardCW();
    EXPECT_TRUE(radio1->waitForCommand("KY @", 5s, abortFrom).has_value());

    // Reopen onto the second radio: the tasks quieted and 300 ms waited
    // before "K22;" and "AI3;" go first on the new line, nothing on the old
    // one afterwards.
    const auto reopenCalled = Clock::now();
    ASSERT_EQ(port.ReopenRadioPort(2), K2ERR_NONE);
    ASSERT_TRUE(radio2->waitForCommand("AI3", 5s).has_value());
    const std::size_t oldBytes = radio1->bytesIn().size();
    const auto commands2 = radio2->commands();
    ASSERT_GE(commands2.size(), 2u);
    EXPECT_EQ(commands2[0].text, "K22");
    EXPECT_EQ(commands2[1].text, "AI3");
    EXPECT_GE(commands2[0].time - reopenCalled, 300ms);
    EXPECT_TRUE(radio2->waitForCommand("DS", 3s).has_value());

    // Close: "AI0;" is the last byte, the tasks are joined quickly, and
    // nothing follows.
    const auto closeStart = Clock::now();
    EXPECT_EQ(port.CloseRadioPort(), K2ERR_NONE);
    EXPECT_LT(Clock::now() - closeStart, 1500ms);
    EXPECT_EQ(port.GetRecvrThreadID(), 0u);
    EXPECT_TRUE(radio2->waitForCommand("AI0", 5s).has_value());
    std::this_thread::sleep_for(300ms);
    const std::string in2 = radio2->bytesIn();
    ASSERT_GE(in2.size(), 4u);
    EXPECT_EQ(in2.substr(in2.size() - 4), "AI0;");
    EXPECT_EQ(radio1->bytesIn().size(), oldBytes);
}

TEST(RadioLinkSimTest, RepliesAtLineRateAreAllForwardedInOrder) {
    TempDir dir;
    auto radio = StartSim(dir.path(), 1);
    Events events;
    FakeNotifier notifier(events);
    RadioPortServices s;
    s.notifier = &notifier;
    s.serialDir = dir.path();
    CK2RadioPort port(s, 0);
    ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    port.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_TRUE(radio->waitForOutputIdle(2s));
    events.Take();

    // 3 s at 4800 baud is about 1400 bytes: 100 FA replies of 14 bytes.
    std::string burst;
    for (int i = 0; i < 100; ++i) {
        char reply[20];
        std::snprintf(reply, sizeof reply, "FA%011d;", 7000000 + i * 10);
        burst += reply;
    }
    radio->injectRaw(burst);
    ASSERT_TRUE(events.WaitFor([](const auto& v) { return v.size() >= 100; }, 10s));
    const auto forwarded = events.Take();
    for (int i = 0; i < 100; ++i) {
        char expected[30];
        std::snprintf(expected, sizeof expected, "cmd 6 FA%011d", 7000000 + i * 10);
        ASSERT_EQ(forwarded[static_cast<std::size_t>(i)], expected);
    }
}

TEST(RadioLinkSimTest, WatchdogGivesUpOnASilentRadio) {
    TempDir dir;
    auto radio = StartSim(dir.path(), 1);
    radio->setKyAnswer(sim::KyAnswer::Never);
    Events events;
    RecordingLog log(events);
    FakeNotifier notifier(events);
    RadioPortServices s;
    s.log = &log;
    s.notifier = &notifier;
    s.serialDir = dir.path();
    s.cwWatchdog = 1s;
    CK2RadioPort port(s, 0);
    ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    port.SetNotifierAddress(NOTIFIER_CORBA);
    const std::size_t from = radio->commandCount();
    ASSERT_EQ(port.KeyboardCW("TEST"), K2ERR_NONE);
    EXPECT_TRUE(events.WaitForEvent("log 0 1 Keyboard CW aborted: no KY reply from the radio", 5s));
    EXPECT_TRUE(radio->waitForCommand("KY @", 2s, from).has_value());
    EXPECT_TRUE(events.WaitForEvent("empty"));
    // KY polling has stopped.
    std::this_thread::sleep_for(300ms);
    const std::size_t settled = radio->commandCount();
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(radio->waitForCommand("KY", 0ms, settled).has_value());
}

// A radio that answers "KY;" later than the task waits before asking again
// gets two answers in flight; the one to the query sent before a chunk must
// not release the next chunk while the radio still keys the last.
TEST(RadioLinkSimTest, LateKYAnswersReleaseNoChunkEarly) {
    TempDir dir;
    auto radio = StartSim(dir.path(), 1, 10.0);
    radio->setKyAnswer(sim::KyAnswer::Late, 700ms);
    RadioPortServices s;
    s.serialDir = dir.path();
    CK2RadioPort port(s, 0);
    ASSERT_EQ(port.OpenRadioPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    const std::string text =
        "ABCDEFGHIJKLMNOPQRSTUVWXABCDEFGHIJKLMNOPQRSTUVWXABCDEFGHIJKLMNOPQRSTUVWX";
    ASSERT_EQ(port.KeyboardCW(text), K2ERR_NONE);
    const auto keyedBy = Clock::now() + 30s;
    while (radio->keyedText() != text && radio->overrunCount() == 0 && Clock::now() < keyedBy)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(radio->overrunCount(), 0u);
    EXPECT_EQ(radio->keyedText(), text);
}

TEST(RadioLinkSimTest, StalledRadioGivesWriteFailedWithinItsTimeOut) {
    TempDir dir;
    auto radio = StartSim(dir.path(), 1);
    Events events;
    RecordingLog log(events);
    RadioPortServices s;
    s.log = &log;
    s.serialDir = dir.path();
    CK2RadioPort port(s, 0);
    ASSERT_EQ(port.OpenCommPort(1, 4800, 8, 0, 1), K2ERR_NONE);
    radio->setReading(false);
    std::uint32_t status = K2ERR_NONE;
    auto start = Clock::now();
    for (int i = 0; i < 20000 && status == K2ERR_NONE; ++i) {
        start = Clock::now();
        status = port.SendDiagnosticData(std::string(60, 'E'));
    }
    EXPECT_EQ(status, K2ERR_PORT_WRITE_FAILED);
    EXPECT_LE(Clock::now() - start, 2s + 1s);
    EXPECT_EQ(Starting(events.Take(), "log 0 1 ").size(), 1u);
}

}  // namespace
