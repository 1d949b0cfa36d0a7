#include "rtspmsg/DecimalText.h"

#include <climits>
#include <gtest/gtest.h>

TEST(DecimalText, ReadsLikeAtoiAndHoldsTheIntRange)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"554", 554},         {"  -12ab", -12},         {"+7", 7},           {"abc", 0},
        {"", 0},              {"2147483647", INT_MAX},  {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},              {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, DecimalToInt(c.text)) << c.text;
}
