#include "rtspmsg/NptTime.h"
#include "rtspmsg/SmpteTime.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(NptTime, TextToMilliseconds)
{
    const struct {
        const char* text;
        int milliseconds;
    } cases[] = {
        {"10.5", 10500},          {"1:30", 90000},       {"1:02:03.5", 3723500},
        {"1:00:00:00", 86400000}, {"1.5:00", 90000},     {"1.001", 1000},
        {"2.675", 2674},          {"1:1:1:1:1", 0},      {"now", 0},
        {"", 0},                  {"::5", 5000},         {"-1.5", -1500},
        {"3000000", -1294967296}, // 32-bit wrap of 3e9 ms
        {"1e999", int(2147483647u * 1000u)}, // held at INT_MAX seconds, then wrapped
        {"nan", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.milliseconds, CNptTime(c.text, int(std::strlen(c.text))).GetMilliseconds()) << c.text;
}

TEST(NptTime, LongTextIsCutTo31Characters)
{
    // The first 31 characters are read; the "9" behind them is cut off.
    std::string text = "0000000000000000000000000000012" "9";
    EXPECT_EQ(12000, CNptTime(text.data(), int(text.size())).GetMilliseconds());
}

TEST(NptTime, MillisecondsToText)
{
    const struct {
        int milliseconds;
        const char* text;
    } cases[] = {{10500, "10.500000"}, {20000, "20"}, {999, "0.999000"}, {0, "0"}, {1, "0.001000"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, CNptTime(c.milliseconds).GetText()) << c.milliseconds;
}

TEST(SmpteTime, TextRoundTrip)
{
    const struct {
        const char* text;
        int milliseconds;
        const char* back;
    } cases[] = {
        {"00:00:01.15", 1501, "00:00:01.15"},
        {"00:00:00.01", 33, "00:00:00"},    // frame 1 does not survive
        {"00:00:00.04", 133, "00:00:00.03"}, // frame 4 comes back as 3
        {"00:00:00.29", 968, "00:00:00.29"},
        {"00:00:01.30", 1000, "00:00:01"},   // frames above 29 dropped
        {"01:02:03:04", 3723000, "01:02:03"}, // only a "." starts the frames
        {"01:02", 3720000, "01:02:00"},
        {"", 0, "00:00:00"},
        {"x", 0, "00:00:00"},
    };
    for (const auto& c : cases) {
        CSmpteTime time(c.text, int(std::strlen(c.text)));
        EXPECT_EQ(c.milliseconds, time.GetMilliseconds()) << c.text;
        EXPECT_EQ(c.back, CSmpteTime(time.GetMilliseconds()).GetText()) << c.text;
    }
}

TEST(SmpteTime, MillisecondsToTextWraps)
{
    const struct {
        int milliseconds;
        const char* text;
    } cases[] = {
        {3723500, "01:02:03.15"},
        {143165576, "39:46:05.17"},
        // 143165577 * 30 wraps modulo 2^32 to 14: 0 frames.
        {143165577, "00:00:00"},
        {-1, "39:46:05.17"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, CSmpteTime(c.milliseconds).GetText()) << c.milliseconds;
}

TEST(SmpteTime, HugeFieldsWrapWithoutOverflow)
{
    // (99999 * 60 * 60) * 1000 wraps in 32 bits; what matters is a defined, repeatable value.
    const char text[] = "99999:00:00";
    EXPECT_EQ(int(99999u * 3600u * 1000u), CSmpteTime(text, int(sizeof text - 1)).GetMilliseconds());
}
