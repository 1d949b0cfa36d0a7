#include "rtspmsg/NptTime.h"
#include "rtspmsg/SmpteTime.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

enum Unit { Npt, Smpte };

int Milliseconds(Unit unit, const char* text)
{
    int length = int(std::strlen(text));
    return unit == Smpte ? CSmpteTime(text, length).GetMilliseconds() : CNptTime(text, length).GetMilliseconds();
}

std::string Text(Unit unit, int milliseconds)
{
    return unit == Smpte ? CSmpteTime(milliseconds).GetText() : CNptTime(milliseconds).GetText();
}

} // namespace

TEST(TimeValues, TextToMillisecondsAndBack)
{
    // A null text: only written from the milliseconds; a null written text: not checked.
    const struct { Unit unit; const char* text; int milliseconds; const char* written; } cases[] = {
        {Npt, "10.5", 10500, "10.500000"},       {Npt, "1:30", 90000, "90"},
        {Npt, "1:02:03.5", 3723500, "3723.500000"}, {Npt, "1:00:00:00", 86400000, "86400"},
        {Npt, "1.5:00", 90000, nullptr},         {Npt, "1.001", 1000, "1"},
        {Npt, "2.675", 2674, "2.674000"},        {Npt, "1:1:1:1:1", 0, "0"},
        {Npt, "now", 0, nullptr},                {Npt, "", 0, nullptr},
        {Npt, "nan", 0, nullptr},                {Npt, "::5", 5000, "5"},
        {Npt, "-1.5", -1500, nullptr},           {Npt, "20", 20000, "20"},
        {Npt, "3000000", -1294967296, nullptr},  // 32-bit wrap of 3e9 ms
        {Npt, "1e999", int(2147483647u * 1000u), nullptr}, // held at INT_MAX seconds, then wrapped
        {Npt, "0000000000000000000000000000012" "9", 12000, nullptr}, // cut to 31 characters
        {Npt, nullptr, 999, "0.999000"},         {Npt, nullptr, 1, "0.001000"},
        {Smpte, "00:00:01.15", 1501, "00:00:01.15"},
        {Smpte, "00:00:00.01", 33, "00:00:00"},    // frame 1 does not survive
        {Smpte, "00:00:00.04", 133, "00:00:00.03"}, // frame 4 comes back as 3
        {Smpte, "00:00:00.29", 968, "00:00:00.29"},
        {Smpte, "00:00:01.30", 1000, "00:00:01"},   // frames above 29 dropped
        {Smpte, "01:02:03:04", 3723000, "01:02:03"}, // only a "." starts the frames
        {Smpte, "01:02", 3720000, "01:02:00"},       {Smpte, "", 0, "00:00:00"},
        {Smpte, "x", 0, "00:00:00"},
        {Smpte, "99999:00:00", int(99999u * 3600u * 1000u), nullptr}, // wraps, without overflow
        {Smpte, nullptr, 3723500, "01:02:03.15"},    {Smpte, nullptr, 143165576, "39:46:05.17"},
        {Smpte, nullptr, 143165577, "00:00:00"}, // * 30 wraps modulo 2^32 to 14: 0 frames
        {Smpte, nullptr, -1, "39:46:05.17"},
    };
    for (const auto& c : cases) {
        if (c.text != nullptr) {
            EXPECT_EQ(c.milliseconds, Milliseconds(c.unit, c.text)) << c.text;
        }
        if (c.written != nullptr) {
            EXPECT_EQ(c.written, Text(c.unit, c.milliseconds)) << c.milliseconds;
        }
    }
}
