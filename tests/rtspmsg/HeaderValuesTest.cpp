#include "rtspmsg/HeaderValues.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspRangeValue.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(HeaderValues, ParseRange)
{
    const struct { const char* text; bool added; int start, end, unit; const char* written; } cases[] = {
        {"npt=0-", true, 0, -1, 2, "npt=0-\r\n"},
        {"npt=-20", true, -1, 20000, 2, "npt=-20\r\n"},
        {"npt=10.5-20", true, 10500, 20000, 2, "npt=10.500000-20\r\n"},
        {"npt=now-", true, 0, -1, 2, "npt=0-\r\n"},
        {"n=5-", true, 5000, -1, 2, "npt=5-\r\n"},
        {"s=0-", true, 0, -1, 0, "smpte=00:00:00-\r\n"},
        {"=00:00:01.15-", true, 1501, -1, 0, "smpte=00:00:01.15-\r\n"},
        {"", true, -1, -1, 0, "smpte=-\r\n"},
        {"smpte=00:00:01-01:02:03.15", true, 1000, 3723501, 0, "smpte=00:00:01-01:02:03.15\r\n"},
        {"clock=19961108T142300Z-", false, 0, 0, 0, "\r\n"},
        {"nptx=1-", false, 0, 0, 0, "\r\n"},
        {"NPT=1-", false, 0, 0, 0, "\r\n"},
    };
    for (const auto& c : cases) {
        CRtspHeader header("Range");
        ParseRange(c.text, int(std::strlen(c.text)), &header);
        ASSERT_EQ(c.added ? 1u : 0u, header.values.size()) << c.text;
        if (c.added) {
            auto* range = dynamic_cast<CRtspRangeValue*>(header.FirstValue());
            ASSERT_NE(nullptr, range) << c.text;
            EXPECT_EQ(c.start, range->start) << c.text;
            EXPECT_EQ(c.end, range->end) << c.text;
            EXPECT_EQ(c.unit, range->unit) << c.text;
        }
        std::string written;
        header.Append(written);
        EXPECT_EQ(c.written, written) << c.text;
    }
    // A unit nothing here reads writes nothing at all.
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
