#include "radiolink/k2_reply_decoders.h"
#include "radiolink/k2_reply_codes.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Fields = std::map<std::string, std::int32_t>;

// Every decoder behind one signature, picked by reply code, so a table row
// can name any of them.
std::optional<Fields> decode(int code, std::string_view body) {
    auto one = [](std::optional<std::int32_t> v) -> std::optional<Fields> {
        if (!v) {
            return std::nullopt;
        }
        return Fields{{"value", *v}};
    };
    switch (code) {
        case K2_CMD_FA:
        case K2_CMD_FB:
            return one(ParseFreqReply(body));
        case K2_CMD_IF: {
            const auto r = ParseIFReply(body);
            if (!r) {
                return std::nullopt;
            }
            return Fields{
                {"frequencyHz", r->frequencyHz}, {"ritOn", r->ritOn},     {"xitOn", r->xitOn},
                {"offset", r->offset},           {"digit26", r->digit26}, {"mode", r->mode},
                {"activeVfo", r->activeVfo},     {"digit29", r->digit29}, {"split", r->split},
                {"digit31", r->digit31}};
        }
        case K2_CMD_FW: {
            const auto r = ParseFWReply(body);
            if (!r) {
                return std::nullopt;
            }
            return Fields{{"bandwidth", r->bandwidth},
                          {"filter", r->filter},
                          {"audioFilter", r->audioFilter}};
        }
        case K2_CMD_PC: {
            const auto r = ParsePCReply(body);
            if (!r) {
                return std::nullopt;
            }
            return Fields{{"power", r->power}, {"range", r->range}};
        }
        case K2_CMD_GT:
            return one(ParseGTReply(body));
        case K2_CMD_RA:
            return one(ParseRAReply(body));
        case K2_CMD_NB:
            return one(ParseNBReply(body));
        case K2_CMD_AN:
            return one(ParseANReply(body));
        case K2_CMD_MD:
            return one(ParseMDReply(body));
        case K2_CMD_KY:
            return one(ParseKYReply(body));
        case K2_CMD_PA:
            return one(ParsePAReply(body));
        case K2_CMD_FR:
            return one(ParseFRReply(body));
        case K2_CMD_FT:
            return one(ParseFTReply(body));
        case K2_CMD_LK:
            return one(ParseLKReply(body));
        case K2_CMD_KS:
            return one(ParseKSReply(body));
        case K2_CMD_SQ:
            return one(ParseSQReply(body));
        case K2_CMD_BG:
            return one(ParseBGReply(body));
        default:
            return std::nullopt;
    }
}

bool hasDecoder(int code) {
    switch (code) {
        case K2_CMD_AN:
        case K2_CMD_BG:
        case K2_CMD_FA:
        case K2_CMD_FB:
        case K2_CMD_FR:
        case K2_CMD_FT:
        case K2_CMD_FW:
        case K2_CMD_GT:
        case K2_CMD_IF:
        case K2_CMD_KS:
        case K2_CMD_KY:
        case K2_CMD_LK:
        case K2_CMD_MD:
        case K2_CMD_NB:
        case K2_CMD_PA:
        case K2_CMD_PC:
        case K2_CMD_RA:
        case K2_CMD_SQ:
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------------------
// Replies captured from the radio, with their decoded fields.

struct FileRow {
    int line = 0;
    std::string reply;  // without ";"
    int code = -1;
    bool fail = false;
    Fields fields;
};
ROW_NAME(FileRow, "Line" + std::to_string(row.line));

std::vector<FileRow> loadRows() {
    std::vector<FileRow> rows;
    std::ifstream in(K2_REPLIES_FILE);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        FileRow row;
        row.line = number;
        const auto bar = line.rfind('|');
        if (bar == std::string::npos || bar == 0 || line[bar - 1] != ';') {
            row.code = -2;  // reported as a malformed row by the test
            rows.push_back(row);
            continue;
        }
        row.reply = line.substr(0, bar - 1);
        std::istringstream expect(line.substr(bar + 1));
        std::string item;
        while (expect >> item) {
            if (item == "fail") {
                row.fail = true;
                continue;
            }
            const auto eq = item.find('=');
            if (eq == std::string::npos) {
                row.code = -2;
                break;
            }
            const std::string key = item.substr(0, eq);
            const auto value = static_cast<std::int32_t>(std::stol(item.substr(eq + 1)));
            if (key == "code") {
                row.code = value;
            } else {
                row.fields[key] = value;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

class CapturedReply : public testing::TestWithParam<FileRow> {};

TEST_P(CapturedReply, ClassifiesAndDecodes) {
    const FileRow& row = GetParam();
    ASSERT_GE(row.code, 0) << "malformed data row";
    EXPECT_EQ(LookupK2Cmd(row.reply), row.code);
    if (!hasDecoder(row.code)) {
        EXPECT_TRUE(row.fields.empty() && !row.fail) << "row expects a decoder the code lacks";
        return;
    }
    const auto decoded = decode(row.code, std::string_view(row.reply).substr(2));
    if (row.fail) {
        EXPECT_FALSE(decoded.has_value());
        return;
    }
    ASSERT_TRUE(decoded.has_value());
    ASSERT_FALSE(row.fields.empty()) << "row names no field";
    for (const auto& [key, value] : row.fields) {
        const auto it = decoded->find(key);
        ASSERT_NE(it, decoded->end()) << "no field " << key;
        EXPECT_EQ(it->second, value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(K22, CapturedReply, testing::ValuesIn(loadRows()), CaseName());

TEST(CapturedReplies, FileIsThere) {
    EXPECT_FALSE(loadRows().empty()) << K2_REPLIES_FILE;
}

// ---------------------------------------------------------------------------
// The column rules, on reply bodies (the text after the mnemonic).

struct RuleCase {
    const char* name;
    int code;
    std::string body;
    std::optional<std::vector<std::int32_t>> expected;  // fields in name order, or failure
};
ROW_NAME(RuleCase, row.name);

std::optional<std::vector<std::int32_t>> values(const std::optional<Fields>& fields) {
    if (!fields) {
        return std::nullopt;
    }
    std::vector<std::int32_t> out;
    for (const auto& [key, value] : *fields) {
        out.push_back(value);
    }
    return out;
}

// IF bodies built from the real reply, so a row changes one column only.
std::string ifBody(std::size_t pos = 0, std::string_view replacement = {}) {
    std::string body = "00014039310     +007000 0002000001 ";
    body.replace(pos, replacement.size(), replacement);
    return body;
}

using V = std::vector<std::int32_t>;
constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = -kMax - 1;

// IF field order in the map: activeVfo, digit26, digit29, digit31,
// frequencyHz, mode, offset, ritOn, split, xitOn.
const RuleCase kRuleCases[] = {
    // Decimals: white space and a sign, then at least one digit; 32 bits.
    {"FreqPlain", K2_CMD_FA, "00014060000", V{14060000}},
    {"FreqStopsAtNonDigit", K2_CMD_FA, "0001406x999", V{1406}},
    {"FreqLeadingBlanksAndSign", K2_CMD_FA, "  +7040000", V{7040000}},
    {"FreqNegative", K2_CMD_FA, "-5", V{-5}},
    {"FreqInt32Max", K2_CMD_FA, "2147483647", V{kMax}},
    {"FreqInt32Min", K2_CMD_FB, "-2147483648", V{kMin}},
    {"FreqOverInt32", K2_CMD_FA, "2147483648", std::nullopt},
    {"FreqBelowInt32", K2_CMD_FA, "-2147483649", std::nullopt},
    {"FreqElevenNines", K2_CMD_FA, "99999999999", std::nullopt},
    {"FreqOverInt64", K2_CMD_FB, "99999999999999999999999", std::nullopt},
    {"FreqEmpty", K2_CMD_FA, "", std::nullopt},
    {"FreqBlanksOnly", K2_CMD_FA, "   ", std::nullopt},
    {"FreqSignOnly", K2_CMD_FA, "-", std::nullopt},
    {"FreqDoubleSign", K2_CMD_FA, "+-5", std::nullopt},
    {"FreqSignThenBlank", K2_CMD_FA, "- 5", std::nullopt},
    {"KeyerSpeed", K2_CMD_KS, "020", V{20}},
    {"KeyerSpeedSignOnly", K2_CMD_KS, "+", std::nullopt},
    {"Squelch", K2_CMD_SQ, "005", V{5}},
    {"SquelchLetters", K2_CMD_SQ, "abc", std::nullopt},
    {"BarGraphTrailingLetter", K2_CMD_BG, "07R", V{7}},
    {"BarGraphEmpty", K2_CMD_BG, "", std::nullopt},

    // Digits and flags must be 0-9.
    {"ModeDigit", K2_CMD_MD, "3", V{3}},
    {"ModeColon", K2_CMD_MD, ":", std::nullopt},
    {"ModeSlash", K2_CMD_MD, "/", std::nullopt},
    {"ModeEmpty", K2_CMD_MD, "", std::nullopt},
    {"KyStatusTwo", K2_CMD_KY, "2", V{2}},
    {"KyNoDigit", K2_CMD_KY, "", std::nullopt},
    {"KyBlank", K2_CMD_KY, " ", std::nullopt},
    {"NoiseBlankerHighByte", K2_CMD_NB, "\xB1", std::nullopt},
    {"AntennaTwo", K2_CMD_AN, "2", V{2}},
    {"PreampZero", K2_CMD_PA, "0", V{0}},
    {"PreampTwoIsOn", K2_CMD_PA, "2", V{1}},
    {"ReceiveVfoB", K2_CMD_FR, "1", V{1}},
    {"TransmitVfoTwoIsB", K2_CMD_FT, "2", V{1}},
    {"LockLetter", K2_CMD_LK, "x", std::nullopt},
    {"LockEmpty", K2_CMD_LK, "", std::nullopt},

    // Fixed columns: each decoder needs its length.
    {"AttenuatorOnlySecondCounts", K2_CMD_RA, "10", V{0}},
    {"AttenuatorOn", K2_CMD_RA, "01", V{1}},
    {"AttenuatorOneByte", K2_CMD_RA, "1", std::nullopt},
    {"AttenuatorNotDigit", K2_CMD_RA, "0x", std::nullopt},
    {"AgcOnSlow", K2_CMD_GT, "0041", V{4}},
    {"AgcOff", K2_CMD_GT, "0040", V{0}},
    {"AgcOffIgnoresGarbage", K2_CMD_GT, "xyz0", V{0}},
    {"AgcThreeBytes", K2_CMD_GT, "004", std::nullopt},
    {"AgcOnNoDigits", K2_CMD_GT, "   1", std::nullopt},
    {"AgcFlagNotDigit", K2_CMD_GT, "004:", std::nullopt},
    // PC fields in name order: power, range.
    {"PowerWatts", K2_CMD_PC, "0501", V{50, 1}},
    {"PowerTenths", K2_CMD_PC, "1500", V{150, 0}},
    {"PowerFieldStopsBeforeFlag", K2_CMD_PC, "9991", V{999, 1}},
    {"PowerThreeBytes", K2_CMD_PC, "050", std::nullopt},
    {"PowerRangeNotDigit", K2_CMD_PC, "050-", std::nullopt},
    // FW fields in name order: audioFilter, bandwidth, filter.
    {"Bandwidth", K2_CMD_FW, "040012", V{2, 400, 1}},
    {"BandwidthFieldIsFourBytes", K2_CMD_FW, "999999", V{9, 9999, 9}},
    {"BandwidthFiveBytes", K2_CMD_FW, "04001", std::nullopt},
    {"BandwidthNoDigits", K2_CMD_FW, "    12", std::nullopt},
    {"BandwidthFilterNotDigit", K2_CMD_FW, "0400:2", std::nullopt},

    {"IfReal", K2_CMD_IF, ifBody(), V{0, 0, 0, 0, 14039310, 2, 70, 0, 0, 0}},
    {"IfRitNegativeOffset", K2_CMD_IF, ifBody(16, "-002010"),
     V{0, 0, 0, 0, 14039310, 2, -20, 1, 0, 0}},
    {"IfDigitColumns", K2_CMD_IF, ifBody(26, "314159"), V{4, 3, 1, 9, 14039310, 1, 70, 0, 5, 0}},
    {"IfExactly32Bytes", K2_CMD_IF, ifBody().substr(0, 32),
     V{0, 0, 0, 0, 14039310, 2, 70, 0, 0, 0}},
    {"If31Bytes", K2_CMD_IF, ifBody().substr(0, 31), std::nullopt},
    {"IfShort", K2_CMD_IF, "0001406", std::nullopt},
    {"IfModeNotDigit", K2_CMD_IF, ifBody(27, ":"), std::nullopt},
    {"IfRitNotDigit", K2_CMD_IF, ifBody(21, " "), std::nullopt},
    {"IfOffsetNoDigits", K2_CMD_IF, ifBody(16, "+    "), std::nullopt},
    {"IfColumns11To15Unread", K2_CMD_IF, ifBody(11, "12345"),
     V{0, 0, 0, 0, 14039310, 2, 70, 0, 0, 0}},
    {"IfFrequencyOverInt32", K2_CMD_IF, ifBody(0, "99999999999"), std::nullopt},
    {"IfBlankFrequencyIsNotTheOffset", K2_CMD_IF, ifBody(0, "           "), std::nullopt},
};

class DecoderRule : public testing::TestWithParam<RuleCase> {};

TEST_P(DecoderRule, Decodes) {
    const RuleCase& c = GetParam();
    EXPECT_EQ(values(decode(c.code, c.body)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Columns, DecoderRule, testing::ValuesIn(kRuleCases), CaseName());

// Every prefix of a long reply, each in a heap block of exactly its size, so
// the sanitizer build catches a decoder reading past the caller's text.
TEST(DecoderBounds, NoReadPastTheText) {
    const std::string full = ifBody() + "040012";
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const auto block = std::make_unique<char[]>(length);
        std::copy_n(full.data(), length, block.get());
        const std::string_view body(block.get(), length);
        for (int code = 0; code <= kK2CmdCount; ++code) {
            (void)decode(code, body);
        }
        EXPECT_EQ(ParseIFReply(body).has_value(), length >= 32) << length;
    }
}

}  // namespace
