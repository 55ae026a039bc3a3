#include "idl/string_limits.h"
#include "tests/support/row_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LimitCase {
    const char* label;
    std::size_t limit;
    std::size_t longestAccepted;
};
ROW_NAME(LimitCase, row.label);

class StringLimitsTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(StringLimitsTest, AcceptsUpToTheLimitAndNoMore) {
    const LimitCase& c = GetParam();
    EXPECT_EQ(c.limit, c.longestAccepted);
    EXPECT_TRUE(string_limits::fits(std::string(c.longestAccepted, 'x').c_str(), c.limit));
    EXPECT_FALSE(string_limits::fits(std::string(c.longestAccepted + 1, 'x').c_str(), c.limit));
    EXPECT_FALSE(string_limits::fits(std::string(10000, 'x').c_str(), c.limit));
    EXPECT_TRUE(string_limits::fits("", c.limit));
    EXPECT_TRUE(string_limits::fits(nullptr, c.limit));
}

INSTANTIATE_TEST_SUITE_P(Idl, StringLimitsTest,
                         ::testing::Values(LimitCase{"CWText", string_limits::kCWText, 254},
                                           LimitCase{"CommandText", string_limits::kCommandText,
                                                     60},
                                           LimitCase{"ClientName", string_limits::kClientName, 68},
                                           LimitCase{"EchoText", string_limits::kEchoText, 67}),
                         CaseName());

}  // namespace
