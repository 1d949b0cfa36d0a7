#include "rtspmsg/RtspParser.h"
#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

struct Parsed {
    std::unique_ptr<CRtspMessage> message;
    int length;
};

Parsed ParseText(const std::string& text)
{
    CRtspParser parser;
    int length = int(text.size());
    std::unique_ptr<CRtspMessage> message(parser.Parse(text.data(), length));
    return Parsed{std::move(message), length};
}

// The headers as the message writes them back, without its first line.
std::string Headers(CRtspMessage& message)
{
    std::string text;
    for (const auto& header : message.headers) {
        text += header->name + ": ";
        header->Append(text);
    }
    return text;
}

} // namespace

TEST(RtspParser, WholeOrNothing)
{
    const std::string ok = "RTSP/1.0 200 OK\r\nCSeq: 3\r\n\r\n";
    const std::string withBody = "RTSP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n";
    const struct { const char* name; std::string text; int length; /* 0: no message */ } cases[] = {
        {"whole reply", ok, int(ok.size())},
        {"leading blank lines counted", "\r\n\r\n" + ok, int(ok.size()) + 4},
        {"leading blanks and tabs", " \t\n" + ok, int(ok.size()) + 3},
        {"two replies: stops after the first", ok + ok, int(ok.size())},
        {"header block not ended", "RTSP/1.0 200 OK\r\nCSeq: 3\r\n", 0},
        {"status line only", "RTSP/1.0 200 OK", 0},
        {"body not complete", withBody + "0123", 0},
        {"body complete plus more", withBody + "0123456789abcde", int(withBody.size()) + 10},
        {"negative length is absent", "RTSP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nab", 39},
        {"content length of zero", "RTSP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nab", 38},
        {"only blanks", "\r\n \t\r\n", 0},
        {"empty", "", 0},
        {"request without version", "PLAY rtsp://h/x\r\n\r\n", 0},
        {"LF line ends", "RTSP/1.0 200 OK\nCSeq: 3\n\n", 25},
    };
    for (const auto& c : cases) {
        Parsed parsed = ParseText(c.text);
        EXPECT_EQ(c.length, parsed.length) << c.name;
        EXPECT_EQ(c.length > 0, parsed.message != nullptr) << c.name;
    }
}

TEST(RtspParser, SetupReplyIsWrittenBackAsTheSameBytesAndTheNextReplyStartsAfresh)
{
    const std::string setupReply = "RTSP/1.0 200 OK\r\nCSeq: 1\r\nSession: 12345678;timeout=60\r\n"
                                   "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=6970-6971\r\n"
                                   "timestamp: 1234567\r\nContent-Length: 10\r\n\r\n0123456789";
    CRtspParser parser;
    std::string text = setupReply + "RTSP/1.0 200 OK\r\nCSeq: 2\r\n\r\n";
    int length = int(text.size());
    std::unique_ptr<CRtspMessage> first(parser.Parse(text.data(), length));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, first->cseq);
    EXPECT_EQ(6970, first->FindHeader("Transport")->ServerPort()); // the value was split
    std::string written;
    first->ToText(written);
    EXPECT_EQ(setupReply, written);

    int rest = int(text.size()) - length;
    std::unique_ptr<CRtspMessage> second(parser.Parse(text.data() + length, rest));
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(2, second->cseq);
    EXPECT_EQ(2u, parser.lines.size()); // the first reply's lines were dropped
}

TEST(RtspParser, FirstLines)
{
    const struct { const char* line; int method, status, major, minor; const char* uri; } cases[] = {
        {"RTSP/1.0 454 Session Not Found", 10, 29, 1, 0, nullptr},
        {"RTSP/1.0 299 Whatever", 10, -1, 1, 0, nullptr},
        {"RTSP/1.0 20 OK", 10, -1, 1, 0, nullptr},
        {"RTSP/1.0 100", 10, 0, 1, 0, nullptr},
        {"RTSP/1 551 Option not supported", 10, 44, 0, 0, nullptr},
        {"RTSP/.0 200 OK", 10, 1, 0, 0, nullptr},
        {"RTSP/2.1x 200 OK", 10, 1, 2, 1, nullptr},
        {"RTSP/1x.0 200 OK", 10, 1, 1, 0, nullptr},
        {"RTSP/123456789.12345678 200 OK", 10, 1, 1234567, 1234567, nullptr}, // parts cut to 7
        {"SETUP rtsp://h/x RTSP/1.0", 0, -1, 1, 0, "rtsp://h/x"},
        {"UNKNOWN u RTSP/1.0", 11, -1, 1, 0, "u"},
        {"FETCH rtsp://h/x RTSP/1.0", -1, -1, 1, 0, "rtsp://h/x"},
        {"play rtsp://h/x RTSP/1.0", -1, -1, 1, 0, "rtsp://h/x"},
        {"OPTIONS * HTTP/1.1", 7, -1, 0, 0, "*"},
        {"RESPONSE u RTSP/1.0", 10, -1, 1, 0, "u"},
    };
    for (const auto& c : cases) {
        Parsed parsed = ParseText(std::string(c.line) + "\r\n\r\n");
        ASSERT_NE(nullptr, parsed.message) << c.line;
        CRtspMessage& m = *parsed.message;
        EXPECT_EQ(c.method, m.method) << c.line;
        EXPECT_EQ(c.major, m.majorVersion) << c.line;
        EXPECT_EQ(c.minor, m.minorVersion) << c.line;
        if (c.uri == nullptr) {
            ASSERT_NE(nullptr, dynamic_cast<CRtspResponse*>(&m)) << c.line;
            EXPECT_EQ(c.status, dynamic_cast<CRtspResponse&>(m).status) << c.line;
        } else {
            ASSERT_NE(nullptr, dynamic_cast<CRtspRequest*>(&m)) << c.line;
            EXPECT_EQ(c.uri, dynamic_cast<CRtspRequest&>(m).uri) << c.line;
        }
    }
}

TEST(RtspParser, HeaderLines)
{
    const struct { const char* lines; const char* written; /* the headers written back */ int cseq; } cases[] = {
        {"cseq: 4", "cseq: 4\r\n", 0},
        {"CSeq : 4", "CSeq : 4\r\n", 0},
        {"CSeq: 4\r\nCSeq: 5", "CSeq: 4\r\nCSeq: 5\r\n", 4},
        {"X: a,,b", "X: a\r\n", 0},
        {"X: a;;b", "X: a\r\n", 0},
        {"X: a,", "X: a\r\n", 0},
        {"X: a  ,  b", "X: a  ,b\r\n", 0},
        {"X: a=b=c;d", "X: a=b=c;d\r\n", 0},
        {"X: a=;b", "X: a;b\r\n", 0},
        {"Session: 7; timeout=60", "Session: 7;timeout=60\r\n", 0},
        {"Location: rtsp://h:554/x;a=b,c", "Location: rtsp://h:554/x;a=b,c\r\n", 0},
        {"Content-base: rtsp://h:554/x;a=b,c", "Content-base: rtsp://h:554/x;a=b,c\r\n", 0},
        {"Content-Base: rtsp://h:554/x;a=b,c", "Content-Base: rtsp://h:554/x;a=b,c\r\n", 0},
        {"Content-Base: a,b;c=d", "Content-Base: a,b;c=d\r\n", 0},
        {"Authorization:", "Authorization: \r\n", 0},
        {"WWW-Authenticate: Digest realm=\"x\", nonce=\"y\"",
         "WWW-Authenticate: Digest realm=\"x\", nonce=\"y\"\r\n", 0},
        {"Lonely", "Lonely: \r\n", 0},
        {": x\r\nCSeq: 2", "CSeq: 2\r\n", 2},
        // Range values: npt and smpte, abbreviated or not; other units are left out.
        {"Range: npt=0-", "Range: npt=0-\r\n", 0},
        {"Range: npt=-20", "Range: npt=-20\r\n", 0},
        {"Range: npt=10.5-20", "Range: npt=10.500000-20\r\n", 0},
        {"Range: npt=now-", "Range: npt=0-\r\n", 0},
        {"Range: n=5-", "Range: npt=5-\r\n", 0},
        {"Range: s=0-", "Range: smpte=00:00:00-\r\n", 0},
        {"Range: =00:00:01.15-", "Range: smpte=00:00:01.15-\r\n", 0},
        {"Range:", "Range: smpte=-\r\n", 0},
        {"Range: smpte=00:00:01-01:02:03.15", "Range: smpte=00:00:01-01:02:03.15\r\n", 0},
        {"Range: clock=19961108T142300Z-", "Range: \r\n", 0},
        {"Range: nptx=1-", "Range: \r\n", 0},
        {"Range: NPT=1-", "Range: \r\n", 0},
        {"RTP-Info: url=a;seq=1;rtptime=2, url=b;seq=3", "RTP-Info: ,\r\n", 0},
        {"Session: 7\r\n ;timeout=60", "Session: 7;timeout=60\r\n", 0},
        // An empty value does not continue on a folded line, so a fold right after a comma
        // ends the list.
        {"X-Folded: a,\r\n b;c=d", "X-Folded: a\r\n", 0},
        {"CSeq: 99999999999", "CSeq: 99999999999\r\n", 2147483647},
    };
    for (const auto& c : cases) {
        Parsed parsed = ParseText(std::string("RTSP/1.0 200 OK\r\n") + c.lines + "\r\n\r\n");
        ASSERT_NE(nullptr, parsed.message) << c.lines;
        EXPECT_EQ(c.written, Headers(*parsed.message)) << c.lines;
        EXPECT_EQ(c.cseq, parsed.message->cseq) << c.lines;
    }
}
