// The reply task: bytes written on the radio's side of a pty, as the client
// (or the diagnostic dialog) receives them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "radio_rig.h"
#include "tests/support/row_names.h"

namespace {

using namespace radiotest;

// A write with the pause before the next one; a pause longer than the reply
// interval puts the following bytes in a later read.
struct Chunk {
    std::string bytes;
    int gapMs = 0;
};

struct ReplyCase {
    const char* name;
    std::vector<Chunk> writes;
    std::vector<std::string> forwarded;  // "cmd <code> <text>", in order
    std::size_t errorRecords = 0;
};
ROW_NAME(ReplyCase, row.name);

const std::string kIF = "IF00014039310     +007000 0002000001 ";
const std::string kMarker = "ID017;";  // ends every case: all before it has been handled

std::string ManyReplies() {
    std::string s;
    for (int i = 0; i < 43; ++i) {
        char reply[20];
        std::snprintf(reply, sizeof reply, "FA%011d;", 14000000 + i);
        s += reply;
    }
    return s;
}

std::vector<std::string> ManyForwarded() {
    std::vector<std::string> v;
    for (int i = 0; i < 43; ++i) {
        char reply[40];
        std::snprintf(reply, sizeof reply, "cmd 6 FA%011d", 14000000 + i);
        v.push_back(reply);
    }
    return v;
}

std::string Display(std::string status) {
    return std::string("DS\x40") + "14060\xB0" + "0" + status + ";";
}

const ReplyCase kReplyCases[] = {
    {"SplitAcrossThreeReads",
     {{"FA0001406", 80}, {"0000;IF", 80}, {kIF.substr(2) + ";", 0}},
     {"cmd 6 FA00014060000", "cmd 13 " + kIF}},
    {"EmptyReplies", {{";;", 0}, {";FA00014060000;", 0}}, {"cmd 6 FA00014060000"}},
    {"JunkThenReplies", {{std::string(100, 'x') + "FA00014060000;MD3;", 0}}, {"cmd 18 MD3"}, 1},
    {"LongJunkEndedBySeparator",
     {{std::string(100, 'x') + ";FA00014060000;", 0}},
     {"cmd 6 FA00014060000"},
     1},
    {"ShortUnknownIsForwarded", {{"xyz;", 0}}, {"cmd 0 xyz"}},
    {"SixHundredBytesInOneWrite", {{ManyReplies(), 0}}, ManyForwarded()},
    {"DisplayStatusZero", {{Display(std::string("\x00\x80", 2)), 0}}, {"cmd 5 DS 14060.000080"}},
    {"DisplayStatusSeparator", {{Display("\x3B\x80"), 0}}, {"cmd 5 DS 14060.003b80"}},
    {"DisplayStatusHighBit", {{Display("\xC1\x80"), 0}}, {"cmd 5 DS 14060.00c180"}},
    {"DisplayRepeated",
     {{Display("\x80\x80"), 80}, {Display("\x80\x80"), 0}},
     {"cmd 5 DS 14060.008080"}},
    {"BarGraphChanges", {{"BG05;BG07;BG05;BG05;", 0}}, {"cmd 3 BG05", "cmd 3 BG07", "cmd 3 BG05"}},
    {"KeyStatus", {{"KY2;KY;", 0}}, {"cmd 16 KY2", "cmd 16 KY"}},
    {"UnknownReplies",
     {{"?;fa00014060000;ZZ1;", 0}},
     {"cmd 0 ?", "cmd 0 fa00014060000", "cmd 0 ZZ1"}},
};

class ReplyTaskTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTaskTest, ForwardsWholeRepliesInOrder) {
    const ReplyCase& c = GetParam();
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);

    for (const Chunk& w : c.writes) {
        rig.line.Write(w.bytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(w.gapMs));
    }
    rig.line.Write(kMarker);
    ASSERT_TRUE(rig.events.WaitForEvent("cmd 12 ID017"));

    std::vector<std::string> expected = c.forwarded;
    expected.push_back("cmd 12 ID017");
    EXPECT_EQ(rig.Only("cmd "), expected);
    EXPECT_EQ(rig.Only("log 0 1 ").size(), c.errorRecords);
}

INSTANTIATE_TEST_SUITE_P(Stream, ReplyTaskTest, ::testing::ValuesIn(kReplyCases), CaseName());

TEST(ReplyTaskLossTest, ShortDisplayLosesAtMostTheNextReply) {
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.line.Write("DS123;FA00014060000;MD3;" + kMarker);
    ASSERT_TRUE(rig.events.WaitForEvent("cmd 12 ID017"));
    const auto forwarded = rig.Only("cmd ");
    ASSERT_GE(forwarded.size(), 2u);
    EXPECT_EQ(forwarded[forwarded.size() - 2], "cmd 18 MD3");
}

TEST(ReplyTaskLogTest, RepliesAreLoggedRawWhenAsked) {
    RadioRig rig(kLogReplies);
    rig.Open();
    rig.line.Write(Display("\x80\x80") + kMarker);
    ASSERT_TRUE(rig.events.WaitForEvent("log 1 2 ID017"));
    EXPECT_EQ(rig.Only("log 1 2 "),
              (std::vector<std::string>{"log 1 2 " + Display("\x80\x80").substr(0, 12),
                                        "log 1 2 ID017"}));
}

// The reply task takes the logging byte as it stands when the task is built,
// not as it stood when the radio object was.
TEST(ReplyTaskLogTest, LoggingModeIsReadWhenTheReplyTaskIsBuilt) {
    std::uint8_t stored = 0;
    RadioRig rig(0, [&stored] { return stored; });
    stored = kLogReplies;
    rig.Open();
    rig.line.Write(kMarker);
    ASSERT_TRUE(rig.events.WaitForEvent("log 1 2 ID017"));
}

// An unchanged display is forwarded again to a client that connects anew and
// after the diagnostic dialog has closed.
TEST(ReplyTaskDedupeTest, LastReadingsForgottenOnConnectAndAfterDiagnostics) {
    RadioRig rig;
    rig.Open();
    const std::string ds = Display("\x80\x80");
    const std::string forwarded = "cmd 5 DS 14060.008080";
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.line.Write(ds);
    ASSERT_TRUE(rig.WaitForCount(forwarded, 1));
    rig.line.Write(ds + kMarker);
    ASSERT_TRUE(rig.WaitForCount("cmd 12", 1));
    EXPECT_EQ(rig.events.Count(forwarded), 1u);

    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.line.Write(ds);
    ASSERT_TRUE(rig.WaitForCount(forwarded, 2));

    FakeTarget dialog(rig.events);
    rig.radio.EnterCOMPortDiagMode(&dialog);
    rig.line.Write(ds);
    ASSERT_TRUE(rig.events.WaitForEvent("reply 5 DS 14060.008080"));
    rig.radio.ExitCOMPortDiagMode();
    rig.line.Write(ds);
    ASSERT_TRUE(rig.WaitForCount(forwarded, 3));
}

TEST(ReplyTaskSinkTest, DiagnosticSinkTakesEverythingAndIsDroppedAtOnce) {
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    auto dialog = std::make_unique<FakeTarget>(rig.events);
    rig.radio.EnterCOMPortDiagMode(dialog.get());

    // Keep replies flowing while the dialog goes away.
    std::atomic<bool> stop{false};
    std::thread radioSide([&] {
        while (!stop) {
            rig.line.Write("FA00014060000;");
            std::this_thread::sleep_for(2ms);
        }
    });
    ASSERT_TRUE(rig.WaitForCount("reply 6 ", 3));
    rig.radio.ExitCOMPortDiagMode();
    dialog.reset();  // a use after this shows in the sanitizer build
    const std::size_t seen = rig.Only("reply ").size();
    std::this_thread::sleep_for(200ms);
    stop = true;
    radioSide.join();
    EXPECT_EQ(rig.Only("reply ").size(), seen);
    // While the dialog was registered, the client got nothing.
    EXPECT_TRUE(rig.WaitForCount("cmd 6 ", 1));
    const auto all = rig.events.Snapshot();
    std::size_t lastReply = 0, firstCmd = all.size();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind("reply ", 0) == 0)
            lastReply = i;
        if (all[i].rfind("cmd ", 0) == 0 && firstCmd == all.size())
            firstCmd = i;
    }
    EXPECT_LT(lastReply, firstCmd);
}

TEST(ReplyTaskNotifierTest, FailedCallbackStopsNotificationAndAbortsKeyboardCW) {
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_EQ(rig.radio.KeyboardCW("CQ CQ CQ"), K2ERR_NONE);
    rig.line.ReadUntil("KY;");

    rig.notifier.fail = true;
    rig.line.Write("FA00014060000;");
    ASSERT_TRUE(rig.WaitForCount("failed cmd ", 1));
    EXPECT_NE(rig.line.ReadUntil("KY @;").find("KY @;"), std::string::npos);
    rig.notifier.fail = false;
    rig.line.Write("FB00007040000;" + kMarker);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(rig.Only("cmd ").empty());

    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.line.Write(kMarker);
    EXPECT_TRUE(rig.events.WaitForEvent("cmd 12 ID017"));
}

TEST(ReplyTaskNotifierTest, SlowClientDoesNotHoldUpCommands) {
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.notifier.blockMs = 2000;
    rig.line.Write("FA00014060000;");
    std::this_thread::sleep_for(300ms);  // the reply task is now inside the call
    const auto start = Clock::now();
    EXPECT_EQ(rig.radio.OperatingMode(1, 3), K2ERR_NONE);
    EXPECT_LE(Clock::now() - start, 100ms);
    rig.notifier.blockMs = 0;
}

TEST(ReplyTaskNotifierTest, ModeTwoGoesToTheTarget) {
    RadioRig rig;
    rig.Open();
    rig.radio.SetNotifierAddress(NOTIFIER_THREAD_MSG, &rig.target);
    rig.line.Write("MD3;" + kMarker);
    ASSERT_TRUE(rig.events.WaitForEvent("reply 12 ID017"));
    EXPECT_EQ(rig.Only("reply "), (std::vector<std::string>{"reply 18 MD3", "reply 12 ID017"}));
    EXPECT_TRUE(rig.Only("cmd ").empty());
}

// The callback holder is swapped under the notifier's own lock while replies
// and keyboard CW flow; the radio link keeps no reference of its own.
class SwappingNotifier : public ClientNotifier {
  public:
    explicit SwappingNotifier(Events& events) : m_events(events) { Swap(); }
    void Swap() {
        std::lock_guard lock(m_lock);
        m_target = std::make_shared<FakeNotifier>(m_events);
    }
    bool NotifyCmd(int code, std::string_view reply) override {
        return Get()->NotifyCmd(code, reply);
    }
    bool NotifyTextMessageSent(int length, std::string_view text) override {
        return Get()->NotifyTextMessageSent(length, text);
    }
    bool NotifyTextMessageEmpty() override { return Get()->NotifyTextMessageEmpty(); }

  private:
    std::shared_ptr<FakeNotifier> Get() {
        std::lock_guard lock(m_lock);
        return m_target;
    }
    Events& m_events;
    std::mutex m_lock;
    std::shared_ptr<FakeNotifier> m_target;
};

TEST(ReplyTaskNotifierTest, NotifierSwappedWhileRepliesAndCWFlow) {
    RadioRig rig;
    SwappingNotifier swapping(rig.events);
    RadioPortServices s = rig.Services();
    s.notifier = &swapping;
    PtyLine line2(rig.dir.path(), 2);
    CK2RadioPort radio(s, 0);
    ASSERT_EQ(radio.OpenRadioPort(2, 4800, 8, 0, 1), K2ERR_NONE);
    radio.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_EQ(radio.KeyboardCW("CQ CQ DE N0CALL N0CALL K"), K2ERR_NONE);

    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop) {
            swapping.Swap();
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 20; ++i) {
        line2.Write("FA00014060000;KY2;BG0" + std::to_string(i % 10) + ";");
        std::this_thread::sleep_for(15ms);
        line2.Drain();
    }
    stop = true;
    swapper.join();
    EXPECT_TRUE(rig.WaitForCount("cmd 6 ", 20));
    EXPECT_GE(rig.Only("sent 25 ").size(), 1u);
    radio.CloseRadioPort();
}

}  // namespace
