#pragma once

// Names a parameterised test after its row's `name`.

#include <gtest/gtest.h>

#include <string>

struct CaseName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& row) const {
        return row.param.name;
    }
};
