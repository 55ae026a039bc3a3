#include "radiolink/k2_reply_codes.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;

struct LookupCase {
    const char* name;
    std::string text;
    int code;
};
ROW_NAME(LookupCase, row.name);

const LookupCase kLookupCases[] = {
    {"FirstEntry", "AI3", K2_CMD_AI},
    {"LastEntry", "XT1", K2_CMD_XT},
    {"TxSortsBeforeUp", "TX", K2_CMD_TX},
    {"UpAfterTx", "UP1", K2_CMD_UP},
    {"DigitSortsBeforeLetter", "K22", K2_CMD_K2},
    {"KeyerSpeed", "KS020", K2_CMD_KS},
    {"ExactlyTwoBytes", "SW", K2_CMD_SW},
    {"Unknown", "ZZ9", K2_CMD_UNKNOWN},
    {"OneLetter", "D", K2_CMD_UNKNOWN},
    {"Empty", "", K2_CMD_UNKNOWN},
    {"LowerCase", "fa00014060000", K2_CMD_UNKNOWN},
    {"MixedCase", "Fa00014060000", K2_CMD_UNKNOWN},
    {"QuestionMark", "?", K2_CMD_UNKNOWN},
    {"BelowFirst", "AA", K2_CMD_UNKNOWN},
    {"AboveLast", "ZZ", K2_CMD_UNKNOWN},
    {"BetweenEntries", "KT", K2_CMD_UNKNOWN},
    {"HighBytes", "\xC4\xD3", K2_CMD_UNKNOWN},
    {"DisplayWithBinaryBytes", "DS\x3B\x00\xFF@@7040\x3B\xC1"s, K2_CMD_DS},
    {"DisplayAllSemicolons", "DS;;;;;;;;;;", K2_CMD_DS},
    {"NulAfterMnemonic", "MD\x00"s, K2_CMD_MD},
};

class Lookup : public testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, Classifies) {
    EXPECT_EQ(LookupK2Cmd(GetParam().text), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Replies, Lookup, testing::ValuesIn(kLookupCases), CaseName());

// The codes are a wire contract with the client: every code finds its own
// mnemonic and the mnemonic finds the code again.
TEST(ReplyCodes, EveryCodeRoundTrips) {
    for (int code = 1; code <= kK2CmdCount; ++code) {
        const std::string_view name = K2CmdName(code);
        ASSERT_EQ(name.size(), 2u) << code;
        EXPECT_EQ(LookupK2Cmd(name), code) << name;
        EXPECT_EQ(LookupK2Cmd(std::string(name) + "0123"), code) << name;
    }
}

TEST(ReplyCodes, NumbersAreTheClientsNumbers) {
    const char* const expected[] = {"AI", "AN", "BG", "DN", "DS", "FA", "FB", "FR", "FT",
                                    "FW", "GT", "ID", "IF", "K2", "KS", "KY", "LK", "MD",
                                    "NB", "PA", "PC", "PS", "RA", "RC", "RD", "RT", "RU",
                                    "RX", "SM", "SQ", "SW", "UP", "TX", "XT"};
    int code = 1;
    for (const char* name : expected) {
        EXPECT_EQ(K2CmdName(code), name) << code;
        ++code;
    }
    EXPECT_EQ(code - 1, kK2CmdCount);
}

// Formatters hand data() on as a C string, so even "no mnemonic" must be one.
TEST(ReplyCodes, NoMnemonicOutsideTheTable) {
    for (const int code : {static_cast<int>(K2_CMD_UNKNOWN), -1, kK2CmdCount + 1}) {
        EXPECT_TRUE(K2CmdName(code).empty()) << code;
        ASSERT_NE(K2CmdName(code).data(), nullptr) << code;
        EXPECT_EQ(K2CmdName(code).data()[0], '\0') << code;
    }
    EXPECT_EQ(K2CmdName(K2_CMD_FA).data()[2], '\0');
}

}  // namespace
