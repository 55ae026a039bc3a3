#include "client/cw/type_in_cutter.h"

#include "client/cw/cw_text.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using cw::TypeInCutter;

// One step of operator input on the line.
struct Input {
    enum Kind { Type, Paste, Backspace, Delete, Caret } kind;
    std::u32string text;  // Type, Paste
    int selStart = -1;    // -1: at the caret
    int selEnd = -1;
};

Input type(std::u32string text) {
    return {Input::Type, std::move(text)};
}
Input paste(std::u32string text, int at = -1, int end = -1) {
    return {Input::Paste, std::move(text), at, end < 0 ? at : end};
}
Input backspace(int start = -1, int end = -1) {
    return {Input::Backspace, {}, start, end};
}
Input del(int start, int end) {
    return {Input::Delete, {}, start, end};
}

// A line with a recording server that refuses when told to.
struct Line {
    TypeInCutter cutter;
    std::vector<std::string> sent;
    int beeps = 0;
    bool refuse = false;

    void run(const Input& input) {
        const int start = input.selStart < 0 ? cutter.caret() : input.selStart;
        const int end = input.selEnd < 0 ? start : input.selEnd;
        const TypeInCutter::Sender send = [this](const std::string& token) {
            if (refuse) {
                return false;
            }
            sent.push_back(token);
            return true;
        };
        TypeInCutter::Result result;
        switch (input.kind) {
            case Input::Type:
                // One event per character, as keys come.
                for (char32_t ch : input.text) {
                    const int at = cutter.caret();
                    result = cutter.insert(std::u32string(1, ch), at, at, send);
                    beeps += result.beep ? 1 : 0;
                }
                return;
            case Input::Paste:
                result = cutter.insert(input.text, start, end, send);
                break;
            case Input::Backspace:
                result = cutter.backspace(start, end);
                break;
            case Input::Delete:
                result = cutter.erase(start, end);
                break;
            case Input::Caret:
                break;
        }
        beeps += result.beep ? 1 : 0;
    }
};

struct CutCase {
    const char* name;
    std::vector<Input> inputs;
    bool refuse;  // the server refuses every word
    std::vector<std::string> tokens;
    std::string line;
    int sentPosition;
    int beeps;
};
ROW_NAME(CutCase, row.name);

const std::string k109(109, 'E');
const std::u32string k109u(109, U'E');
// 100 characters of words: ten "ABCDEFGHI " words.
const std::u32string kTenWords = [] {
    std::u32string text;
    for (int i = 0; i < 10; ++i) {
        text += U"ABCDEFGHI ";
    }
    return text;
}();
// The words of kTenWords as they go, then `last`.
std::vector<std::string> tenWordsThen(const std::string& last) {
    std::vector<std::string> tokens(10, "ABCDEFGHI ");
    tokens.push_back(last);
    return tokens;
}

const CutCase kCutCases[] = {
    {"TwoWordsGoAtTheirBlanks", {type(U"CQ CQ ")}, false, {"CQ ", "CQ "}, "CQ CQ ", 6, 0},
    {"WordWaitsForItsSeparator", {type(U"CQ DE")}, false, {"CQ "}, "CQ DE", 3, 0},
    {"EverySeparatorEndsAWord",
     {type(U"5NN,TU=73.OK?A+B(C%D*")},
     false,
     {"5NN,", "TU=", "73.", "OK?", "A+", "B(", "C%", "D*"},
     "5NN,TU=73.OK?A+B(C%D*",
     21,
     0},
    {"BackspaceAfterSentWordBeeps", {type(U"CQ "), backspace()}, false, {"CQ "}, "CQ ", 3, 1},
    {"BackspaceInsideUnsentWordWorks", {type(U"CQ D"), backspace()}, false, {"CQ "}, "CQ ", 3, 0},
    {"FullLineWithoutSeparatorGoesWhole", {type(k109u)}, false, {k109}, "", 0, 0},
    // 100 characters sent, then a word crossing 108: it goes once and the
    // line keeps nothing already sent.
    {"WordCrossing108GoesOnce",
     {type(kTenWords + U"N0CALL/Q ")},
     false,
     tenWordsThen("N0CALL/Q "),
     "",
     0,
     0},
    {"WordCrossing108ThenMoreTyping",
     {type(kTenWords + U"N0CALL/Q K")},
     false,
     tenWordsThen("N0CALL/Q "),
     "K",
     0,
     0},
    {"PasteCutsEveryWord", {paste(U"A B C ")}, false, {"A ", "B ", "C "}, "A B C ", 6, 0},
    {"PastedTabIsABlank", {paste(U"A\tB")}, false, {"A "}, "A B", 2, 0},
    {"PasteWithAccentIsRefusedWhole",
     {type(U"CQ "), paste(U"CAF\u00E9 ")},
     false,
     {"CQ "},
     "CQ ",
     3,
     1},
    {"CaretInSentTextTypesAtTheTail", {type(U"CQ "), paste(U"X", 1)}, false, {"CQ "}, "CQ X", 3, 0},
    {"DeleteInSentTextDoesNothing",
     {type(U"CQ DE"), del(0, 1), del(1, 4)},
     false,
     {"CQ "},
     "CQ DE",
     3,
     0},
    {"DeleteInUnsentTailWorks", {type(U"CQ DEX"), del(5, 6)}, false, {"CQ "}, "CQ DE", 3, 0},
    {"PasteOverSentSelectionReplacesOnlyTheTail",
     {type(U"CQ AB"), paste(U"K ", 0, 5)},
     false,
     {"CQ ", "K "},
     "CQ K ",
     5,
     0},
    {"RefusedWordStaysUnsent", {type(U"CQ ")}, true, {}, "CQ ", 0, 0},
    {"LineLimitRefusesInputWhole",
     {paste(std::u32string(100, U'E')), paste(U"0123456789A")},
     false,
     {},
     std::string(100, 'E'),
     0,
     1},
};

class TypeInCutterTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(TypeInCutterTest, TokensLineSentPositionAndBeeps) {
    const CutCase& row = GetParam();
    Line line;
    line.refuse = row.refuse;
    for (const Input& input : row.inputs) {
        line.run(input);
    }
    EXPECT_EQ(line.sent, row.tokens);
    EXPECT_EQ(line.cutter.line(), row.line);
    EXPECT_EQ(line.cutter.sentPosition(), row.sentPosition);
    EXPECT_EQ(line.beeps, row.beeps);
}

INSTANTIATE_TEST_SUITE_P(Inputs, TypeInCutterTest, ::testing::ValuesIn(kCutCases), CaseName());

TEST(TypeInCutterRefusal, RefusedWordGoesWithTheNextSeparator) {
    Line line;
    line.refuse = true;
    line.run(type(U"CQ "));
    line.refuse = false;
    line.run(type(U"DE "));
    EXPECT_EQ(line.sent, (std::vector<std::string>{"CQ ", "DE "}));
    EXPECT_EQ(line.cutter.sentPosition(), 6);
}

TEST(TypeInCutterRefusal, RefusedFullLineIsKeptAndGoesOnceTaken) {
    Line line;
    line.refuse = true;
    line.run(type(k109u));
    EXPECT_EQ(line.cutter.line(), k109);
    line.refuse = false;
    line.run(type(U"F"));
    ASSERT_EQ(line.sent.size(), 1U);
    EXPECT_EQ(line.sent[0], k109 + "F");
    EXPECT_EQ(line.cutter.line(), "");
}

// Random typing, pasting, Backspace and Delete at random places: the words
// handed on, in order, followed by the unsent tail are everything typed less
// what was removed, edits of the sent part never land there, and every word
// ends with a separator or is a full line.
TEST(TypeInCutterRandom, SentWordsAndTailAreTheTypedText) {
    std::mt19937 random(20261210);
    const std::u32string alphabet = U"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ,=.?+(%*/";
    Line line;
    std::string expected;  // every word handed on, then the unsent tail
    const auto handedOn = [&line] {
        std::string all;
        for (const std::string& token : line.sent) {
            all += token;
        }
        return all;
    };
    for (int i = 0; i < 5000; ++i) {
        const std::string before = line.cutter.line();
        const int sent = line.cutter.sentPosition();
        const int at = static_cast<int>(random() % (before.size() + 1));
        // The tail index an edit at `at` lands on.
        const int inTail = std::max(at - sent, 0);
        const std::size_t tailStart =
            expected.size() - (before.size() - static_cast<std::size_t>(sent));
        const int what = static_cast<int>(random() % 10);
        if (what < 7) {
            std::u32string text;
            for (int n = what < 6 ? 1 : static_cast<int>(random() % 30); n > 0; --n) {
                text.push_back(alphabet[random() % alphabet.size()]);
            }
            if (before.size() - static_cast<std::size_t>(sent) + text.size() <= 110) {
                expected.insert(tailStart + static_cast<std::size_t>(inTail),
                                std::string(text.begin(), text.end()));
            }
            line.run(paste(text, at));
        } else if (what < 9) {
            if (at - 1 >= sent) {
                expected.erase(tailStart + static_cast<std::size_t>(at - 1 - sent), 1);
            }
            line.run(backspace(at, at));
        } else {
            if (at >= sent && at < static_cast<int>(before.size())) {
                expected.erase(tailStart + static_cast<std::size_t>(at - sent), 1);
            }
            line.run(del(at, at));
        }
        const std::string& after = line.cutter.line();
        ASSERT_EQ(handedOn() + after.substr(static_cast<std::size_t>(line.cutter.sentPosition())),
                  expected)
            << "step " << i;
        ASSERT_LE(after.size(), 110U);
    }
    EXPECT_EQ(line.beeps > 0, true);
    for (const std::string& token : line.sent) {
        EXPECT_TRUE(cw::IsSeparator(token.back()) || token.size() > 108) << token;
    }
}

}  // namespace
