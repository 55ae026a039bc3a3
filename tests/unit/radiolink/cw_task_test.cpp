// Keyboard CW: the chunking rule, and the CW task driven by KY statuses that
// the test writes on the radio's side of a pty.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "radio_rig.h"
#include "radiolink/cw_text_ring.h"
#include "tests/support/row_names.h"

namespace {

using namespace radiotest;

struct ChunkCase {
    const char* name;
    std::string leftover;
    std::string ring;
    std::string chunk;
    std::string newLeftover;
    std::size_t left;  // characters still in the ring
};
ROW_NAME(ChunkCase, row.name);

class ChunkTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkTest, CutsAfterTheLastSeparator) {
    const ChunkCase& c = GetParam();
    CWTextRing ring;
    for (char ch : c.ring)
        ASSERT_TRUE(ring.Put(ch));
    const CWChunk out = BuildCWChunk(c.leftover, ring);
    EXPECT_EQ(out.chunk, c.chunk);
    EXPECT_EQ(out.leftover, c.newLeftover);
    EXPECT_EQ(ring.GetTxBufferUsedSpace(), c.left);
    EXPECT_EQ(out.taken, c.ring.size() - c.left);
    EXPECT_LE(out.chunk.size(), kMaxCWChunk);
}

const std::string k30(30, 'E');
const std::string k40 = "ABCDEFGHIJ " + std::string(29, 'E');

const ChunkCase kChunkCases[] = {
    {"EndsInBlank", "", "CQ DE ", "CQ DE ", "", 0},
    {"BlanksAtFiveAndTen", "", "ABCDE FGHI J", "ABCDE FGHI ", "J", 0},
    {"NoSeparator", "", k30, std::string(24, 'E'), "", 6},
    {"LeftoverFirst", "VWXYZ", k40, "VWXYZABCDEFGHIJ ", "EEEEEEEE", 21},
    {"SeparatorLastTaken", "", "ABCDEFGHIJKLMNOPQRSTUVW?XYZ", "ABCDEFGHIJKLMNOPQRSTUVW?", "", 3},
    {"SeparatorOnlyFirst", "", "=BCDEFGHIJKLMNOPQRSTUVWXYZ", "=", "BCDEFGHIJKLMNOPQRSTUVWX", 2},
    {"LeftoverAlone", "K", "", "K", "", 0},
    {"EverySeparatorCounts", "", "A,B=C.D?E+F(G%H*I", "A,B=C.D?E+F(G%H*", "I", 0},
};

INSTANTIATE_TEST_SUITE_P(Cw, ChunkTest, ::testing::ValuesIn(kChunkCases), CaseName());

TEST(CWTextRingTest, HoldsOneLessThanItsSize) {
    CWTextRing ring;
    for (std::size_t i = 0; i < CWTextRing::kCapacity; ++i)
        ASSERT_TRUE(ring.Put('E'));
    EXPECT_TRUE(ring.IsTxBufferFull());
    EXPECT_FALSE(ring.Put('X'));
    EXPECT_EQ(ring.GetTxBufferChar(), 'E');
    EXPECT_TRUE(ring.Put('X'));
    ring.Clear();
    EXPECT_EQ(ring.GetTxBufferChar(), 0xFF);
}

// --- The task ----------------------------------------------------------------

class CWTaskTest : public ::testing::Test {
  protected:
    void SetUp() override { rig.Open(); }

    // Answers the next "KY;" with `status`.
    void Answer(int status) {
        ASSERT_NE(rig.line.ReadUntil("KY;").find("KY;"), std::string::npos);
        rig.line.Write("KY" + std::to_string(status) + ";");
    }

    std::vector<std::string> CWEvents() {
        std::vector<std::string> out;
        for (const auto& e : rig.events.Snapshot())
            if (e.rfind("cmd ", 0) != 0 && e.rfind("reply ", 0) != 0 && e.rfind("pause ", 0) != 0)
                out.push_back(e);
        return out;
    }

    // Runs "CQ CQ DE N0CALL K" to its end, with a progress report between.
    void RunCall() {
        EXPECT_EQ(rig.radio.KeyboardCW("CQ CQ DE N0CALL K"), K2ERR_NONE);
        Answer(2);
        EXPECT_NE(rig.line.ReadUntil("KY CQ CQ DE N0CALL ;").find("KY CQ"), std::string::npos);
        rig.line.Write("KY0;");
        EXPECT_TRUE(rig.WaitForCount(progress, 1));
        rig.line.Write("KY2;");
        EXPECT_NE(rig.line.ReadUntil("KY K;").find("KY K;"), std::string::npos);
        // The ring has run empty: one more exchange ends the transmission.
        Answer(2);
        EXPECT_TRUE(rig.WaitForCount(empty, 4));
        Answer(2);
        EXPECT_TRUE(rig.WaitForCount(empty, 5));
    }

    RadioRig rig;
    std::string progress = "sent 0 ";
    std::string empty = "empty";
};

TEST_F(CWTaskTest, NotificationsInModeThree) {
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    RunCall();
    EXPECT_EQ(CWEvents(),
              (std::vector<std::string>{"empty", "sent 25 CQ CQ DE N0CALL ", "sent 0 ", "empty",
                                        "sent 25 K", "empty", "empty", "empty"}));
    // The exchange is over: no more "KY;".
    rig.line.Drain();
    EXPECT_EQ(rig.line.Collect(200ms).find("KY;"), std::string::npos);
}

TEST_F(CWTaskTest, NotificationsInModeTwo) {
    rig.radio.SetNotifierAddress(NOTIFIER_THREAD_MSG, &rig.target);
    progress = "txtmesg 5 ";
    empty = "txtmesg 8 ";
    RunCall();
    EXPECT_EQ(CWEvents(), (std::vector<std::string>{"txtmesg 8 ", "txtmesg 5 CQ CQ DE N0CALL ",
                                                    "txtmesg 5 ", "txtmesg 8 ", "txtmesg 5 K",
                                                    "txtmesg 8 ", "txtmesg 8 ", "txtmesg 8 "}));
}

// A "KY" reply without a digit reaches the client but is no status for the task: nothing is
// reported or sent on it, and the next proper answer carries on the exchange.
TEST_F(CWTaskTest, KYReplyWithoutADigitTellsTheTaskNothing) {
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_EQ(rig.radio.KeyboardCW("CQ "), K2ERR_NONE);
    ASSERT_NE(rig.line.ReadUntil("KY;").find("KY;"), std::string::npos);
    rig.line.Write("KY;ID017;");
    ASSERT_TRUE(rig.events.WaitForEvent("cmd 12 ID017"));
    EXPECT_EQ(rig.Only("cmd 16 "), std::vector<std::string>{"cmd 16 KY"});
    EXPECT_EQ(rig.line.Collect(200ms).find("KY CQ"), std::string::npos);
    EXPECT_TRUE(CWEvents().empty());

    Answer(2);
    EXPECT_NE(rig.line.ReadUntil("KY CQ ;").find("KY CQ ;"), std::string::npos);
    EXPECT_TRUE(rig.WaitForCount("sent 25 ", 1));
    EXPECT_EQ(CWEvents(), (std::vector<std::string>{"empty", "sent 25 CQ "}));
}

TEST_F(CWTaskTest, SeparatorsAndControlsBecomeBlanks) {
    ASSERT_EQ(rig.radio.KeyboardCW("TNX;MD1@\t\x7F"), K2ERR_NONE);
    Answer(2);
    EXPECT_NE(rig.line.ReadUntil("KY TNX MD1   ;").find("KY TNX MD1   ;"), std::string::npos);
}

TEST_F(CWTaskTest, TextThatDoesNotFitIsRefusedUntilAChunkHasGone) {
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(rig.radio.KeyboardCW(std::string(254, 'E')), K2ERR_NONE);
    ASSERT_EQ(rig.radio.KeyboardCW(std::string(15, 'E')), K2ERR_NONE);  // 2047 in all
    rig.events.Take();
    EXPECT_EQ(rig.radio.KeyboardCW("X"), K2ERR_INVALID_PARAM);
    EXPECT_EQ(rig.Only("log 0 1 ").size(), 1u);

    Answer(2);
    rig.line.ReadUntil("KY " + std::string(24, 'E') + ";");
    EXPECT_EQ(rig.radio.KeyboardCW(std::string(24, 'X')), K2ERR_NONE);
    EXPECT_EQ(rig.radio.KeyboardCW("X"), K2ERR_INVALID_PARAM);
}

TEST_F(CWTaskTest, AbortClearsEverythingAndTheNextTextStartsClean) {
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    rig.radio.EnableStatusQuery(1);
    ASSERT_EQ(rig.radio.KeyboardCW("ABCDEFGHIJ KLMNOPQRSTUVWXYZ0123456789 ABCDEFGH"), K2ERR_NONE);
    Answer(2);
    ASSERT_NE(rig.line.ReadUntil("KY ABCDEFGHIJ ;").find("KY ABCDEFGHIJ ;"), std::string::npos);
    rig.radio.AbortKeyboardCW();
    ASSERT_NE(rig.line.ReadUntil("KY @;").find("KY @;"), std::string::npos);
    // Status polling is back; KY polling is not.
    const std::string after = rig.line.Collect(3 * kStatusPeriod);
    EXPECT_NE(after.find("DS;BG;"), std::string::npos);
    EXPECT_EQ(after.find("KY;"), std::string::npos);

    // The tail of the aborted text must not lead the next one.
    ASSERT_EQ(rig.radio.KeyboardCW("NEXT TEXT"), K2ERR_NONE);
    Answer(2);
    EXPECT_NE(rig.line.ReadUntil("KY NEXT ;").find("KY NEXT ;"), std::string::npos);
    Answer(2);
    EXPECT_NE(rig.line.ReadUntil("KY TEXT;").find("KY TEXT;"), std::string::npos);
}

TEST_F(CWTaskTest, WatchdogAbortsWhenTheRadioNeverAnswers) {
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_EQ(rig.radio.KeyboardCW("TEST"), K2ERR_NONE);
    ASSERT_TRUE(rig.events.WaitForEvent("log 0 1 Keyboard CW aborted: no KY reply from the radio",
                                        kWatchdog + 3s));
    EXPECT_NE(rig.line.ReadUntil("KY @;").find("KY @;"), std::string::npos);
    EXPECT_TRUE(rig.events.WaitForEvent("empty"));
    rig.line.Drain();
    EXPECT_EQ(rig.line.Collect(200ms).find("KY;"), std::string::npos);
}

TEST_F(CWTaskTest, DisconnectAbortsAnActiveTransmission) {
    rig.radio.SetNotifierAddress(NOTIFIER_CORBA);
    ASSERT_EQ(rig.radio.KeyboardCW("CQ CQ CQ"), K2ERR_NONE);
    rig.line.ReadUntil("KY;");
    rig.radio.SetNotifierAddress(NOTIFIER_NONE);
    EXPECT_NE(rig.line.ReadUntil("KY @;").find("KY @;"), std::string::npos);
}

TEST_F(CWTaskTest, CloseSendsTheAbortBeforeAutoInfoOff) {
    ASSERT_EQ(rig.radio.KeyboardCW("CQ CQ CQ"), K2ERR_NONE);
    Answer(2);
    ASSERT_NE(rig.line.ReadUntil("KY CQ CQ ;").find("KY CQ CQ ;"), std::string::npos);
    rig.radio.CloseRadioPort();
    const std::string tail = rig.line.Collect(100ms);
    EXPECT_NE(tail.find("KY @;"), std::string::npos) << tail;
    EXPECT_TRUE(tail.size() >= 4 && tail.substr(tail.size() - 4) == "AI0;") << tail;
}

}  // namespace
