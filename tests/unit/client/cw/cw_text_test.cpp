#include "client/cw/cw_text.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using cw::KeyableText;
using cw::PendingText;
using cw::SplitCWText;

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::size_t> lengths;  // of the pieces, in order
};
ROW_NAME(SplitCase, row.name);

const std::string kWords300 = [] {
    std::string text;
    while (text.size() < 300) {
        text += "ABCDEFGHI ";  // 10 characters, a blank every tenth
    }
    return text.substr(0, 300);
}();

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"Exactly254", std::string(254, 'E'), {254}},
    {"Plain255CutAtTheLimit", std::string(255, 'E'), {254, 1}},
    {"Plain300CutAtTheLimit", std::string(300, 'E'), {254, 46}},
    // Blanks at 9, 19, ... 249: the first piece ends after the one at 249.
    {"Words300EndAfterTheLastBlank", kWords300, {250, 50}},
    {"SeparatorAtTheLimitEndsThere", std::string(253, 'E') + "?" + "TAIL", {254, 4}},
    {"SeparatorJustPastTheLimitIsNotUsed", std::string(254, 'E') + ",X", {254, 2}},
};

class SplitCWTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCWTextTest, PiecesFitAndJoinToTheText) {
    const SplitCase& row = GetParam();
    const std::vector<std::string> pieces = SplitCWText(row.text);
    std::vector<std::size_t> lengths;
    std::string joined;
    for (const std::string& piece : pieces) {
        lengths.push_back(piece.size());
        joined += piece;
        EXPECT_LE(piece.size(), cw::kMaxCallChars);
    }
    EXPECT_EQ(lengths, row.lengths);
    EXPECT_EQ(joined, row.text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SplitCWTextTest, ::testing::ValuesIn(kSplitCases), CaseName());

TEST(KeyableTextTest, ControlCharactersBecomeBlanksOtherBytesRefuseTheText) {
    EXPECT_EQ(KeyableText("CQ\tDE\r\nN0CALL\x7F"), "CQ DE  N0CALL ");
    EXPECT_EQ(KeyableText("73 \xC3\xA9"), std::nullopt);
    EXPECT_EQ(KeyableText(""), "");
}

TEST(TypedCwTextTest, TabAndLineEndsBecomeBlanksAnyOtherCharacterRefusesTheInput) {
    EXPECT_EQ(cw::TypedCwText(U"A\tB\rC\nD"), "A B C D");
    EXPECT_EQ(cw::TypedCwText(U"CAF\u00E9"), std::nullopt);
    EXPECT_EQ(cw::TypedCwText(U"A\x01"), std::nullopt);
    EXPECT_EQ(cw::TypedCwText(U"~SN+ 5NN?"), "~SN+ 5NN?");
}

struct NoticeCase {
    const char* name;
    std::string pending;
    std::string chunk;
    std::string left;
    bool matched;
};
ROW_NAME(NoticeCase, row.name);

const NoticeCase kNotices[] = {
    {"FirstNineCharactersLeaveTheRest", "CQ CQ DE N0CALL K ", "CQ CQ DE ", "N0CALL K ", true},
    {"LongerThanPendingEmptiesIt", "K ", "TEST K ", "", false},
    {"NotMatchingStillDropsItsLength", "CQ TEST ", "XY", " TEST ", false},
    {"EqualEmptiesIt", "TEST ", "TEST ", "", true},
    {"EmptyNoticeDropsNothing", "TEST ", "", "TEST ", true},
};

class PendingTextNotice : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(PendingTextNotice, DropsAsManyCharactersAsTheChunkCarries) {
    const NoticeCase& row = GetParam();
    PendingText pending;
    pending.append(row.pending);
    EXPECT_EQ(pending.keyed(row.chunk), row.matched);
    EXPECT_EQ(pending.text(), row.left);
}

INSTANTIATE_TEST_SUITE_P(Notices, PendingTextNotice, ::testing::ValuesIn(kNotices), CaseName());

}  // namespace
