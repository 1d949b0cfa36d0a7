#include "rtspmsg/HeaderValues.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspRangeValue.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

// A unit nothing here reads writes nothing at all.
TEST(HeaderValues, RangeOfAnotherUnitIsNotWritten)
{
    std::string text;
    CRtspRangeValue(5, 6, 1).Append(text);
    EXPECT_EQ("", text);
}

TEST(HeaderValues, ParseRtpInfo)
{
    const struct { const char* text; size_t entries; } cases[] = {
        {"url=rtsp://h/t1;seq=1;rtptime=2,url=rtsp://h/t2;seq=3;rtptime=4", 2},
        {"url=rtsp://h/t1;seq=1, url=rtsp://h/t2;rtptime=4", 2},
        {"url=rtsp://h/t1;seq=1;url=rtsp://h/t2;seq=3", 1}, // after ";" no new entry
        {"url=rtsp://h/a,url=x;seq=1", 1},                   // only the second entry has a seq
        {"url=rtsp://h/x?url=y;seq=1", 1},                   // url= inside a URL
        {"url=rtsp://h/t1,url=rtsp://h/t2", 0},              // neither seq= nor rtptime=
        {"url=rtsp://h/t1;seq =1", 0},
        {"url=rtsp://h/t1; seq=1", 1},   // spaces before the key allowed
        {"junk;url=rtsp://h/t1;seq=1", 1}, // anything before the first url= ignored
        {"seq=1;rtptime=2", 1},          // no url=: one entry
        {"", 0},
    };
    for (const auto& c : cases) {
        CRtspHeader header("RTP-Info");
        ParseRtpInfo(c.text, int(std::strlen(c.text)), &header);
        EXPECT_EQ(c.entries, header.values.size()) << c.text;
        for (const auto& value : header.values)
            EXPECT_TRUE(value->params.empty()) << c.text;
    }
}

TEST(HeaderValues, FindKeyStaysInsideItsText)
{
    const struct { const char* text; int length; const char* key; char separator; int at; /* -1: none */ } cases[] = {
        {";seq=1;rtptime=2", 16, "seq=", ';', 1},      {";seq=1;rtptime=2", 16, "rtptime=", ';', 7},
        {";seq=1;rtptime=2", 14, "rtptime=", ';', -1}, // cut inside the key
        {";seq=1;rtptime=2", 16, "seq=", ',', -1},     {";seq=1;rtptime=2", 0, "seq=", ';', -1},
        {"  seq=1", 7, "seq=", ' ', -1}, // the walk back over spaces stops at the start
    };
    for (const auto& c : cases) {
        const char* found = FindKey(c.text, c.length, c.key, c.separator);
        EXPECT_EQ(c.at, found ? int(found - c.text) : -1) << c.key << " " << c.length;
    }
}
