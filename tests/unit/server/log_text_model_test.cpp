#include "server/log_text_model.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct AppendCase {
    const char* name;
    std::vector<std::string> records;
    std::string text;
};
ROW_NAME(AppendCase, row.name);

class LogTextModelTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(LogTextModelTest, AppendsRecords) {
    LogTextModel model;
    for (const std::string& record : GetParam().records) {
        model.Append(record);
    }
    EXPECT_EQ(model.Text(), GetParam().text);
}

std::vector<std::string> repeated(std::size_t count, const std::string& last) {
    std::vector<std::string> records(count, "x");
    records.push_back(last);
    return records;
}

std::string repeatedText(std::size_t count, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += "x\r\n";
    }
    return text + last;
}

const AppendCase kCases[] = {
    {"OpenLineContinues", {"a\r\nb", "c"}, "a\r\nbc\r\n"},
    {"SingleLine", {"x"}, "x\r\n"},
    {"BareNewlines", {"a\nb\n"}, "a\r\nb\r\n"},
    // Empty pieces are skipped together with their line end.
    {"OnlyNewlines", {"\n\n"}, ""},
    {"EmptyRecord", {""}, ""},
    // 399 lines plus the open last one make 400: the next piece replaces everything.
    {"FourHundredLinesStartAfresh", repeated(399, "z"), "z\r\n"},
    {"ThreeHundredNinetyNineLinesAppend", repeated(398, "z"), repeatedText(398, "z\r\n")},
    {"LongRecordCutAt1024", {std::string(1030, 'k')}, std::string(1024, 'k') + "\r\n"},
};

INSTANTIATE_TEST_SUITE_P(LogWindow, LogTextModelTest, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
