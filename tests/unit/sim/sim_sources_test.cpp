// The simulator checks the radio link from outside: none of its sources may
// include a radio-link header (nor Qt or the ORB), so it cannot mirror the
// code it tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/row_names.h"

namespace {

bool includesForbiddenHeader(const std::string& line) {
    static const std::regex forbidden(R"(^\s*#\s*include\s*[<"]\s*(radiolink/|Qt|Q[A-Z]|omni))");
    return std::regex_search(line, forbidden);
}

struct LineCase {
    const char* name;
    const char* line;
    bool forbidden;
};
ROW_NAME(LineCase, row.name);

class ForbiddenIncludeTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ForbiddenIncludeTest, RecognisesTheLine) {
    EXPECT_EQ(includesForbiddenHeader(GetParam().line), GetParam().forbidden);
}

const LineCase kLines[] = {
    {"RadioLinkQuoted", "#include \"radiolink/k2_reply_codes.h\"", true},
    {"RadioLinkAngled", "#include <radiolink/radio_task.h>", true},
    {"SpacedDirective", "  #  include \"radiolink/x.h\"", true},
    {"QtHeader", "#include <QString>", true},
    {"QtModule", "#include <QtCore/QObject>", true},
    {"OrbHeader", "#include <omniORB4/CORBA.h>", true},
    {"OwnHeader", "#include \"sim/k2_radio.h\"", false},
    {"StandardHeader", "#include <queue>", false},
    {"Comment", "// not the radiolink/ code", false},
};

INSTANTIATE_TEST_SUITE_P(Lines, ForbiddenIncludeTest, ::testing::ValuesIn(kLines), CaseName());

TEST(SimSourcesTest, IncludeNoRadioLinkQtOrOrbHeader) {
    const std::filesystem::path root = SIM_SOURCE_DIR;
    std::vector<std::string> offenders;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() ||
            (extension != ".h" && extension != ".cpp" && extension != ".hpp")) {
            continue;
        }
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (includesForbiddenHeader(line)) {
                offenders.push_back(entry.path().string() + ":" + std::to_string(number) + ": " +
                                    line);
            }
        }
    }
    EXPECT_GT(files, 0) << "no sources found under " << root;
    EXPECT_TRUE(offenders.empty()) << ::testing::PrintToString(offenders);
}

TEST(SimSourcesTest, LinksNoRadioLinkQtOrOrb) {
    std::ifstream in(std::filesystem::path(SIM_SOURCE_DIR) / "CMakeLists.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    static const std::regex forbidden(R"(radiolink|Qt6?::|omni|\bidl\b)", std::regex::icase);
    EXPECT_FALSE(std::regex_search(text, forbidden)) << text;
}

}  // namespace
