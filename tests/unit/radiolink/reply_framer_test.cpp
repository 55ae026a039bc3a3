#include "radiolink/reply_framer.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Event = ReplyFramer::Event;

// Dropped events are compared by kind; their text is for the log.
struct Outcome {
    std::vector<std::string> replies;
    int dropped = 0;
    std::vector<std::string> order;  // "R:<text>" or "DROP", in stream order

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

void collect(const std::vector<Event>& events, Outcome& outcome) {
    for (const auto& e : events) {
        if (e.kind == Event::kReply) {
            outcome.replies.push_back(e.text);
            outcome.order.push_back("R:" + e.text);
        } else {
            ++outcome.dropped;
            outcome.order.push_back("DROP");
            EXPECT_FALSE(e.text.empty());
        }
    }
}

const std::string kFA = "FA00014060000";
const std::string kIF = "IF00014039310     +007000 0002000001 ";
const std::string kJunk100(100, 'x');
std::string display(char status1, char status2) {
    return "DS@@7040\xB0"
           "0"s +
           status1 + status2;
}

struct FramingCase {
    const char* name;
    std::vector<std::string> reads;
    std::vector<std::string> order;  // expected, as in Outcome::order
    int resetBeforeRead = -1;
};
ROW_NAME(FramingCase, row.name);

const FramingCase kFramingCases[] = {
    {"OneReply", {"MD3;"}, {"R:MD3"}},
    {"TwoRepliesOneRead", {"MD3;KY2;"}, {"R:MD3", "R:KY2"}},
    {"SplitAcrossThreeReads",
     {"FA0001406", "0000;IF", kIF.substr(2) + ";"},
     {"R:" + kFA, "R:" + kIF}},
    {"PartialStaysUntilTerminator", {"MD", "3"}, {}},
    {"EmptyReplies", {";;"}, {}},
    {"LeadingSemicolon", {";MD3;"}, {"R:MD3"}},
    {"EmptyBetweenReplies", {"MD3;;;KY0;"}, {"R:MD3", "R:KY0"}},
    {"LongestReplyKept", {std::string(79, 'A') + ";MD3;"}, {"R:" + std::string(79, 'A'), "R:MD3"}},
    {"OverLongDroppedWithItsTerminator", {std::string(80, 'A') + ";MD3;"}, {"DROP", "R:MD3"}},
    {"JunkEatsTheNextReplyOnly", {kJunk100 + kFA + ";MD3;"}, {"DROP", "R:MD3"}},
    {"JunkEndedByTerminator", {kJunk100 + ";" + kFA + ";"}, {"DROP", "R:" + kFA}},
    {"JunkOverSeveralReadsIsOneRun",
     {kJunk100, kJunk100, kJunk100 + ";", kFA + ";"},
     {"DROP", "R:" + kFA}},
    {"TwoJunkRunsTwoErrors",
     {kJunk100 + ";" + kFA + ";" + kJunk100 + ";MD3;"},
     {"DROP", "R:" + kFA, "DROP", "R:MD3"}},
    {"BinaryBytesKept", {"ID\x00\x01;"s}, {"R:ID\x00\x01"s}},
    {"DisplayStatusZero", {display('\x00', '\x00') + ";"}, {"R:" + display('\x00', '\x00')}},
    {"DisplayStatusSemicolon",
     {display('\x3B', '\x3B') + ";MD3;"},
     {"R:" + display('\x3B', '\x3B'), "R:MD3"}},
    {"DisplayStatusHighBit", {display('\xC1', '\x00') + ";"}, {"R:" + display('\xC1', '\x00')}},
    {"DisplaySemicolonsAsDisplayBytes",
     {"DS" + std::string(11, ';') + "KY1;"},
     {"R:DS" + std::string(10, ';'), "R:KY1"}},
    {"DisplaySplitAcrossReads",
     {"D", "S@@70",
      "40\xB0"
      "0\x3B",
      "\x00;MD3;"s},
     {"R:" + display('\x3B', '\x00'), "R:MD3"}},
    {"ShortDisplayLosesAtMostOneReply",
     {"DS12345;" + kFA + ";MD3;KY2;"},
     {"DROP", "R:MD3", "R:KY2"}},
    {"LongDisplayDropped", {display('\x00', '\x00') + "x;MD3;"}, {"DROP", "R:MD3"}},
    {"DisplayPrefixAfterOtherBytesIsNotDisplay", {"IDS;"}, {"R:IDS"}},
    {"ResetDropsPartialReply", {"FA0001", "MD3;"}, {"R:MD3"}, 1},
    {"ResetEndsDroppedRun", {kJunk100, kFA + ";"}, {"DROP", "R:" + kFA}, 1},
    {"ResetEndsDisplayFraming", {"DS123", "MD3;"}, {"R:MD3"}, 1},
};

class Framing : public testing::TestWithParam<FramingCase> {};

TEST_P(Framing, YieldsReplies) {
    const auto& c = GetParam();
    ReplyFramer framer;
    Outcome outcome;
    for (std::size_t i = 0; i < c.reads.size(); ++i) {
        if (static_cast<int>(i) == c.resetBeforeRead) {
            framer.reset();
        }
        collect(framer.feed(c.reads[i]), outcome);
    }
    EXPECT_EQ(outcome.order, c.order);
}

INSTANTIATE_TEST_SUITE_P(Stream, Framing, testing::ValuesIn(kFramingCases), CaseName());

// A stream of real replies, display replies with awkward status bytes among
// them, comes out whole and in order however the reads cut it.
class LongStream : public testing::Test {
  protected:
    void SetUp() override {
        const std::vector<std::string> kinds = {
            kFA,    kIF,       "MD3", display('\x3B', '\x00'), "KY2", display('\xC1', '\x3B'),
            "BG05", "FW040012"};
        for (std::size_t i = 0; m_stream.size() < 600; ++i) {
            const std::string& r = kinds[i % kinds.size()];
            m_replies.push_back(r);
            m_stream += r + ";";
        }
    }

    std::vector<std::string> m_replies;
    std::string m_stream;
};

TEST_F(LongStream, OneRead) {
    ReplyFramer framer;
    Outcome outcome;
    collect(framer.feed(m_stream), outcome);
    EXPECT_EQ(outcome.replies, m_replies);
    EXPECT_EQ(outcome.dropped, 0);
}

TEST_F(LongStream, EveryCutIntoTwoReads) {
    for (std::size_t cut = 0; cut <= m_stream.size(); ++cut) {
        ReplyFramer framer;
        Outcome outcome;
        collect(framer.feed(std::string_view(m_stream).substr(0, cut)), outcome);
        collect(framer.feed(std::string_view(m_stream).substr(cut)), outcome);
        ASSERT_EQ(outcome.replies, m_replies) << "cut at " << cut;
        ASSERT_EQ(outcome.dropped, 0);
        EXPECT_EQ(framer.pendingLength(), 0u);
    }
}

TEST_F(LongStream, ByteByByte) {
    ReplyFramer framer;
    Outcome outcome;
    for (const char byte : m_stream) {
        collect(framer.feed(std::string_view(&byte, 1)), outcome);
    }
    EXPECT_EQ(outcome.replies, m_replies);
}

}  // namespace
