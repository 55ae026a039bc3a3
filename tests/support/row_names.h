#pragma once

// The name of a row in a parameterised table, said once per row type and shown
// in both places a reader meets the row: the test's own name (the name printer
// CaseName given to INSTANTIATE_TEST_SUITE_P) and the "GetParam() = ..." line of
// a failing row (gtest's PrintTo, which would print the row's bytes otherwise).
//
// A row type states its name on one line beside its struct, in the struct's own
// namespace, since gtest looks PrintTo up there by argument-dependent lookup:
//
//     struct ReplyCase {
//         const char* name;
//         ...
//     };
//     ROW_NAME(ReplyCase, row.name);
//
// The second argument is an expression of `row` that gives the name; as part
// of a test's name it holds letters, digits and '_' only. A table over a
// tuple of rows builds its test names from rowName() of each part.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#define ROW_NAME(Row, ...)                                                   \
    [[maybe_unused]] static std::string rowName(const Row& row) {            \
        return std::string(__VA_ARGS__);                                     \
    }                                                                        \
    [[maybe_unused]] static void PrintTo(const Row& row, std::ostream* os) { \
        *os << rowName(row);                                                 \
    }                                                                        \
    static_assert(true, "ROW_NAME ends with a semicolon")

// Names each test of a table after its row.
struct CaseName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return rowName(info.param);
    }
};
