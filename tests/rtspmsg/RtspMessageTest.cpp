#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Text(CRtspMessage& message)
{
    std::string text;
    message.ToText(text);
    return text;
}

} // namespace

TEST(RtspMessage, RequestWritesHeadersInOrderThenTheBodyWithinItsBuffer)
{
    CRtspRequest request;
    request.method = 7;
    request.uri = "rtsp://host/x";
    request.AddHeader("CSeq", 5);
    request.AddHeader("CSeq", 6);
    request.AddHeader("Transport", "5;a=b");
    request.AddHeader("big", 4294967295UL);
    request.AddHeader("neg", -1);
    request.SetBody("0123456789", 10);
    const std::string expected = "OPTIONS rtsp://host/x RTSP/1.0\r\nCSeq: 5\r\nCSeq: 6\r\nTransport: 5;a=b\r\n"
                                 "big: 4294967295\r\nneg: -1\r\n\r\n0123456789";
    EXPECT_EQ(expected, Text(request));

    const int size = int(expected.size());
    char buffer[160];
    const struct { int bufferSize, written; } cases[] = {{160, size}, {size, size}, {size - 1, -1}, {0, -1}, {-5, -1}};
    for (const auto& c : cases) {
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(c.written, request.ToBuffer(buffer, c.bufferSize)) << c.bufferSize;
        if (c.written > 0) {
            EXPECT_EQ(expected, std::string(buffer, size_t(c.written)));
        }
        for (int i = c.bufferSize > 0 ? c.bufferSize : 0; i < int(sizeof buffer); ++i)
            ASSERT_EQ('x', buffer[i]) << "written past the limit " << c.bufferSize;
    }
}

TEST(RtspMessage, StartLinesOnlyFromTheTables)
{
    CRtspRequest request;
    CRtspResponse response;
    CRtspMessage base;
    request.uri = "u";
    response.majorVersion = 2;
    response.minorVersion = 1;
    const struct { CRtspMessage* message; int* index; int value; std::string text; /* empty: none */ } cases[] = {
        {&response, &response.status, 29, "RTSP/2.1 454 Session Not Found\r\n\r\n"},
        {&request, &request.method, -1, ""},   {&request, &request.method, 12, ""},
        {&response, &response.status, -1, ""}, {&response, &response.status, 45, ""},
        {&base, &base.method, 1, ""},
    };
    for (const auto& c : cases) {
        *c.index = c.value;
        EXPECT_EQ(c.text, Text(*c.message)) << c.value;
        char buffer[256];
        EXPECT_EQ(c.text.empty() ? -1 : int(c.text.size()), c.message->ToBuffer(buffer, sizeof buffer)) << c.value;
    }
}

TEST(RtspMessage, HeaderLookupsByExactName)
{
    CRtspResponse message;
    message.AddHeader("CSeq", "4");
    message.AddHeader("CSeq", "9");
    message.AddHeader("Session", "abc;timeout=60");
    message.AddHeader("Count", "12ab");
    message.AddHeader("Word", "abc");
    message.AddHeader("Blank", "  -7");
    message.AddHeader("Low", "-99999999999999999999");
    message.AddHeader(new CRtspHeader("Empty"));
    message.AddHeader(nullptr);
    EXPECT_EQ(8u, message.headers.size());

    const struct { const char* name; bool found; int value; } ints[] = {{"CSeq", true, 4},      {"Count", true, 12},   {"Word", true, 0},
                {"Blank", true, -7},    {"Low", true, INT_MIN}, {"Empty", false, 99},
                {"Missing", false, 99}, {"cseq", false, 99},   {"CSeq ", false, 99}};
    for (const auto& c : ints) {
        int value = 99;
        EXPECT_EQ(c.found, message.GetHeaderInt(c.name, value)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
    }

    std::string session = "Session:";
    EXPECT_TRUE(message.GetHeaderString("Session", session));
    EXPECT_EQ("Session:abc;timeout=60", session); // appended, one unsplit parameter
    EXPECT_FALSE(message.GetHeaderString("Empty", session));
    EXPECT_EQ("Session:abc;timeout=60", session);
}
