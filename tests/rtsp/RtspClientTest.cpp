// The control connection against the scripted server: every request's bytes exactly as sent,
// the results, and what the owner is told.
#include "fakes/DebugCapture.h"
#include "fakes/FakeRtspServer.h"
#include "platform/LibraryWaits.h"
#include "rtsp/RtspClient.h"
#include "rtsp/RtspReplyHandler.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct RecordingOwner : CRtspReplyHandler {
    Lines events;
    void OnSetup(const unsigned char* body, int length, int timestamp) override
    {
        events.push_back("OnSetup(" + std::string(reinterpret_cast<const char*>(body ? body : (const unsigned char*)""), length) +
                         "," + std::to_string(timestamp) + ")");
    }
    void OnPlayReply() override { events.push_back("OnPlayReply"); }
    void OnPauseReply() override { events.push_back("OnPauseReply"); }
    void OnRandomPlayReply() override { events.push_back("OnRandomPlayReply"); }
    void OnScaleReply(int step) override { events.push_back("OnScaleReply(" + std::to_string(step) + ")"); }
    void OnConnectFailed() override { events.push_back("OnConnectFailed"); }
    void OnKeepAliveLost() override { events.push_back("OnKeepAliveLost"); }
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (std::string::size_type at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string kHeader40 = "LUMO0123456789abcdefghijklmnopqrstuvwxyz";
const std::string kSetupOk = ReplyText("200 OK", 1,
                                       {"Session: 7;timeout=60",
                                        "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=5000-5001",
                                        "timestamp: 1234"},
                                       kHeader40);
const std::string kOk = ReplyText("200 OK", 2, {});
const std::string kSetupEvent = "OnSetup(" + kHeader40 + ",1234)";
const std::string kIncomplete = "zrk--------client CRtspClient get error packet!\n";
const std::string kSetupUdp =
    "SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;unicast;client_port=10000-10001\r\nUser-agent: Varoplayer\r\n\r\n";

using Action = std::function<int(CRtspClient&)>;

// The server's script, what the client is asked, the requests it sent ({url} for the request
// URL), its results and what it told its owner.
struct WireCase {
    const char* name;
    std::vector<FakeReply> script;
    std::vector<Action> actions;
    Lines requests;
    std::vector<int> results;
    Lines events;
};

// A client connected to a scripted server of its own.
struct Connected {
    Connected()
    {
        SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        StartConnect(s, htonl(INADDR_LOOPBACK), server.Port());
        client.Attach(s, &owner);
        url = server.Url("/live/av_stream");
        client.SetUrl(url.c_str());
    }

    Lines ExpectedRequests(const Lines& requests) const
    {
        Lines expected;
        for (const std::string& request : requests)
            expected.push_back(Replace(request, "{url}", url));
        return expected;
    }

    CFakeRtspServer server;
    RecordingOwner owner;
    CRtspClient client;
    std::string url;
};

Action Setup()
{
    return [](CRtspClient& c) { return c.SendSetupUdp(10000); };
}

const WireCase kWireCases[] = {
    {"setup over udp, then play from the start",
     {FakeReply::Text(kSetupOk), FakeReply::Text(kOk)},
     {Setup(), [](CRtspClient& c) { return c.SendPlay(0); }},
     {kSetupUdp,
      "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:7;timeout=60\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n"},
     {0, 0},
     {kSetupEvent, "OnPlayReply"}},
    {"setup reply without session, transport, timestamp or body",
     {FakeReply::Text(ReplyText("200 OK", 1, {})), FakeReply::Text(ReplyText("200 OK", 2, {"Scale: 8"}))},
     {Setup(), [](CRtspClient& c) { return c.SendChangeRate(8, 0); }},
     {kSetupUdp,
      "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:\r\nScale:8\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n"},
     {0, 0},
     {"OnSetup(,-1)"}}, // no timestamp: the rate ladder is not followed
    {"a second setup keeps the first session",
     {FakeReply::Text(kSetupOk), FakeReply::Text(ReplyText("200 OK", 2, {"Session: 99"})), FakeReply::Text(kOk)},
     {Setup(), Setup(), [](CRtspClient& c) { return c.SendPause(); }},
     {kSetupUdp, Replace(kSetupUdp, "CSeq: 1", "CSeq: 2"), "PAUSE {url} RTSP/1.0\r\nCSeq: 3\r\nUser-agent: 7;timeout=60\r\n\r\n"},
     {0, 0, 0},
     {kSetupEvent, "OnSetup(,-1)", "OnPauseReply"}},
    {"statuses other than 200 notify nothing; errors fail",
     {FakeReply::Text(kSetupOk), FakeReply::Text(ReplyText("302 Moved Temporarily", 2, {})),
      FakeReply::Text(ReplyText("454 Session Not Found", 3, {})), FakeReply::Text(ReplyText("299 Odd", 4, {}))},
     {Setup(), [](CRtspClient& c) { return c.SendPlay(0); }, [](CRtspClient& c) { return c.SendPlay(0); },
      [](CRtspClient& c) { return c.SendPause(); }},
     {kSetupUdp,
      "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:7;timeout=60\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
      "PLAY {url} RTSP/1.0\r\nCSeq: 3\r\nSession:7;timeout=60\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
      "PAUSE {url} RTSP/1.0\r\nCSeq: 4\r\nUser-agent: 7;timeout=60\r\n\r\n"},
     {0, 0, -1, 0},
     {kSetupEvent}},
    {"picture parameters and camera commands",
     {FakeReply::Text(ReplyText("200 OK", 1, {})), FakeReply::Text(ReplyText("200 OK", 2, {})),
      FakeReply::Text(ReplyText("200 OK", 3, {}))},
     {[](CRtspClient& c) { return c.SendSetVideoParams(10, -5, 0, 255); },
      [](CRtspClient& c) { return c.SendCommand(71, 10, 20, 110, 220); },
      [](CRtspClient& c) { return c.SendCommand(1, -1, 0, 0, 0); }},
     {"OPTIONS {url} RTSP/1.0\r\nCSeq: 1\r\nbri: 10\r\ncon: -5\r\nsat: 0\r\nhue: 255\r\n\r\n",
      "OPTIONS {url} RTSP/1.0\r\nCSeq: 2\r\ncommand: 71\r\nparam1: 10\r\nparam2: 20\r\nparam3: 110\r\nparam4: 220\r\n\r\n",
      "OPTIONS {url} RTSP/1.0\r\nCSeq: 3\r\ncommand: 1\r\nparam1: 4294967295\r\nparam2: 0\r\nparam3: 0\r\nparam4: 0\r\n\r\n"},
     {0, 0, 0},
     {}},
};

} // namespace

TEST(RtspClient, WireCases)
{
    for (const WireCase& c : kWireCases) {
        Connected connected;
        connected.server.Script(c.script);
        std::vector<int> results;
        for (const Action& action : c.actions)
            results.push_back(action(connected.client));
        Lines expected = connected.ExpectedRequests(c.requests);
        EXPECT_EQ(expected, connected.server.Requests()) << c.name;
        EXPECT_EQ(c.results, results) << c.name;
        EXPECT_EQ(c.events, connected.owner.events) << c.name;
    }
}

// At every split point, the body's included. Bytes written a millisecond apart may arrive
// together, so the number of incomplete attempts is not known.
TEST(RtspClient, ReplyArrivingByteByByteIsAccumulated)
{
    Connected connected;
    FakeReply split{{}, 1, false};
    for (char byte : kSetupOk)
        split.pieces.push_back(std::string(1, byte));
    connected.server.Script({split});
    CDebugCapture capture;
    EXPECT_EQ(0, connected.client.SendSetupUdp(10000));
    Lines lines = capture.Lines();
    EXPECT_EQ(Lines(lines.size(), kIncomplete), lines);
    EXPECT_EQ(Lines{kSetupEvent}, connected.owner.events);
}

TEST(RtspClient, UnusualOrHostileRepliesEndTheRequestAndLeaveTheClientUsable)
{
    const std::string extra = ReplyText("200 OK", 9, {"Scale: 8"});
    const std::string serverRequest = "ANNOUNCE rtsp://client/x RTSP/1.0\r\nCSeq: 1\r\n\r\n";
    const std::string closed = "zrk--------client CRtspClient RecvRtspResponse failed 3\n";
    const struct { const char* name; FakeReply reply; int result; Lines lines, events; } cases[] = {
        {"two replies in one read: the second is dropped", FakeReply::Text(kSetupOk + extra), 0, {}, {kSetupEvent}},
        {"a request from the server before the reply", FakeReply::Text(serverRequest + kSetupOk), 0, {}, {kSetupEvent}},
        {"a request line that begins with RESPONSE", FakeReply::Text("RESPONSE x RTSP/1.0\r\n\r\n" + kSetupOk), 0, {},
         {kSetupEvent}},
        {"reply larger than the buffer", FakeReply::Text(ReplyText("200 OK", 1, {}, std::string(1100, 'x'))), -1,
         {kIncomplete, closed}, {"OnConnectFailed"}},
        {"connection closed before the reply", FakeReply{{}, 0, true}, -1, {closed}, {"OnConnectFailed"}},
        {"connection closed in the middle of the reply", FakeReply{{kSetupOk.substr(0, 30)}, 0, true}, -1,
         {kIncomplete, closed}, {"OnConnectFailed"}},
    };
    for (const auto& c : cases) {
        Connected connected;
        connected.server.Script({c.reply, FakeReply::Text(ReplyText("200 OK", 2, {}))});
        CDebugCapture capture;
        EXPECT_EQ(c.result, connected.client.SendSetupUdp(10000)) << c.name;
        EXPECT_EQ(c.lines, capture.Lines()) << c.name;
        EXPECT_EQ(c.events, connected.owner.events) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(0, connected.client.SendPause()) << c.name << ": the next reply is the next request's";
            EXPECT_EQ("OnPauseReply", connected.owner.events.back()) << c.name;
        }
    }
}

// Takes the whole 8 s reply wait.
TEST(RtspClient, SilentServerFailsTheSetupAfterEightSeconds)
{
    CLibraryWaits::Restore(); // the shipped length
    Connected connected;
    connected.server.Script({FakeReply::Silence()});
    CDebugCapture capture;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, connected.client.SendSetupUdp(10000));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(7900));
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_EQ(Lines{"zrk--------client CRtspClient RecvRtspResponse failed 1\n"}, capture.Lines());
    EXPECT_EQ(Lines{"OnConnectFailed"}, connected.owner.events);
}

TEST(RtspClient, SixthUnansweredKeepAliveReportsTheServerLost)
{
    Connected connected;
    connected.server.SetKeepAliveReply(FakeReply::Text(ReplyText("454 Session Not Found", 0, {})));
    CDebugCapture capture;
    for (int sent = 1; sent <= 12; ++sent) {
        connected.client.SendKeepAlive();
        size_t expectedLosses = sent >= 12 ? 2 : sent >= 6 ? 1 : 0;
        EXPECT_EQ(expectedLosses, connected.owner.events.size()) << "after keep-alive " << sent;
    }
    EXPECT_EQ(Lines(2, "OnKeepAliveLost"), connected.owner.events);
    Lines lines = capture.Lines();
    EXPECT_EQ(2, std::count(lines.begin(), lines.end(), "zrk--------client try to disconnect!\n"));

    // An answered keep-alive starts the count again.
    connected.server.SetKeepAliveReply(FakeReply::Text(ReplyText("200 OK", 0, {})));
    connected.client.SendKeepAlive();
    connected.server.SetKeepAliveReply(FakeReply::Text(ReplyText("454 Session Not Found", 0, {})));
    for (int sent = 0; sent < 5; ++sent)
        connected.client.SendKeepAlive();
    EXPECT_EQ(2u, connected.owner.events.size());
    ASSERT_TRUE(connected.server.WaitForKeepAlives(18, 2000));
    EXPECT_EQ("ANNOUNCE " + connected.url + " RTSP/1.0\r\nCSeq: 1\r\nAccept: application/sdp\r\nUser-agent: Varoplayer\r\n\r\n",
              connected.server.KeepAlives().front());
}

TEST(RtspClient, PictureParametersAreReadOnlyWhenAllFourCame)
{
    Connected connected;
    connected.server.Script({
        FakeReply::Text(ReplyText("200 OK", 1, {"bri: 10", "con: 20", "sat: 30", "hue: 40"})),
        FakeReply::Text(ReplyText("200 OK", 2, {"bri: 11", "con: 21", "sat: 31"})),
        FakeReply::Text(ReplyText("302 Moved Temporarily", 3, {})),
        FakeReply::Text(ReplyText("200 OK", 4, {"bri: x", "con: 7", "sat: 8", "hue: 9"})),
    });
    int values[4] = {-1, -1, -1, -1};
    auto get = [&] { return connected.client.SendGetVideoParams(&values[0], &values[1], &values[2], &values[3]); };
    EXPECT_EQ(0, get());
    EXPECT_EQ((std::vector<int>{10, 20, 30, 40}), std::vector<int>(values, values + 4));
    int untouched[4] = {1, 2, 3, 4};
    EXPECT_EQ(-1, connected.client.SendGetVideoParams(&untouched[0], &untouched[1], &untouched[2], &untouched[3]));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), std::vector<int>(untouched, untouched + 4));
    EXPECT_EQ(0, get()) << "a 302 hands out what was read before";
    EXPECT_EQ((std::vector<int>{11, 21, 31, 40}), std::vector<int>(values, values + 4));
    EXPECT_EQ(0, get());
    EXPECT_EQ((std::vector<int>{0, 7, 8, 9}), std::vector<int>(values, values + 4)) << "bri without digits reads 0";
    EXPECT_EQ(connected.ExpectedRequests({"OPTIONS {url} RTSP/1.0\r\nCSeq: 4\r\n\r\n"}).front(),
              connected.server.Requests().back());
}

TEST(RtspClient, RequestsThatWouldNotFitAreRefusedUnsent)
{
    Connected connected;
    std::string longUrl = "rtsp://127.0.0.1/" + std::string(1000, 'a');
    connected.client.SetUrl(longUrl.c_str());
    EXPECT_EQ(-1, connected.client.SendSetupUdp(10000));
    EXPECT_EQ(-1, connected.client.SendSetVideoParams(1, 2, 3, 4));
    connected.client.SetUrl(connected.url.c_str());
    EXPECT_EQ(0, connected.client.SendPause());
    EXPECT_EQ(connected.ExpectedRequests({"PAUSE {url} RTSP/1.0\r\nCSeq: 1\r\nUser-agent: \r\n\r\n"}),
              connected.server.Requests())
        << "nothing else went out, and the refused requests took no sequence number";
}

// The ladder is -8 -4 -2 0 2 4 8, entered in the middle: each Scale reply moves one step toward
// its value, never past an end.
TEST(RtspClient, ScaleRepliesMoveAlongTheRateLadder)
{
    Connected connected;
    const int scales[] = {100, 4, 4, 100, 100, -100, -100, -100, -100, -100, -100, -100};
    std::vector<FakeReply> replies;
    for (int scale : scales)
        replies.push_back(FakeReply::Text(ReplyText("200 OK", 0, {"Scale: " + std::to_string(scale)})));
    connected.server.Script(replies);
    for (int scale : scales)
        EXPECT_EQ(0, connected.client.SendChangeRate(scale, 0));
    Lines up(3, "OnScaleReply(1)"), down(6, "OnScaleReply(-1)");
    up.insert(up.end(), down.begin(), down.end());
    EXPECT_EQ(up, connected.owner.events);
}

TEST(RtspClient, WithoutASocketNothingIsSentOrAwaited)
{
    RecordingOwner owner;
    CRtspClient client;
    EXPECT_EQ(-1, client.Attach(0, &owner));
    EXPECT_EQ(-1, client.SendPause());
}
