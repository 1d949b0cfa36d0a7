#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// A table case's readable name as a GoogleTest parameter name: letters and digits, the rest "_".
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (char c : info.param.name)
        name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}
