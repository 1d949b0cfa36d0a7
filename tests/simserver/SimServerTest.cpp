// The simulator served in-process on a port of its own and driven over loopback sockets with
// the exact requests the client sends. Seek and scale are seen end to end (tests/e2e).
#include "RtpReceiver.h"
#include "SimClient.h"
#include "SimServer.h"
#include "rtspmsg/RtspResponse.h"
#include "rtspmsg/RtspTables.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>

namespace {

const int kFps = 25;
const uint32_t kTicksPerFrame = 90000 / kFps;

// The client's requests as it writes them; "{url}", "{session}" (the whole Session value the
// client keeps) and "{ports}" stand for the stream's own. PAUSE, resume and TEARDOWN carry the
// session after "User-agent: ".
const char kSetupUdp[] = "SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;unicast;client_port={ports}\r\n"
                         "User-agent: Varoplayer\r\n\r\n";
const char kSetupTcp[] = "SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/TCP;unicast;client_port={ports}\r\n"
                         "User-agent: Varoplayer\r\n\r\n";
const char kPlay[] = "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:{session}\r\nRange: npt=0.0-\r\n"
                     "User-agent: Varoplayer\r\n\r\n";
const char kPause[] = "PAUSE {url} RTSP/1.0\r\nCSeq: 4\r\nUser-agent: {session}\r\n\r\n";
const char kResume[] = "PLAY {url} RTSP/1.0\r\nCSeq: 5\r\nUser-agent: {session}\r\n\r\n";
const char kTeardown[] = "TEARDOWN {url} RTSP/1.0\r\nCSeq: 6\r\nUser-agent: {session}\r\n\r\n";
const char kKeepAlive[] = "ANNOUNCE {url} RTSP/1.0\r\nCSeq: 7\r\nAccept: application/sdp\r\n"
                          "User-agent: Varoplayer\r\n\r\n";
const char kGetPicture[] = "OPTIONS {url} RTSP/1.0\r\nCSeq: 8\r\n\r\n";

// A request and what its reply holds: the status and header values (regular expressions).
struct Exchange {
    std::string request, status;
    std::vector<std::pair<std::string, std::string>> headers;
};

std::string Replace(std::string text, const std::string& field, const std::string& value)
{
    for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size()))
        text.replace(at, field.size(), value);
    return text;
}

std::string Status(const std::unique_ptr<CRtspMessage>& message)
{
    auto* reply = dynamic_cast<CRtspResponse*>(message.get());
    return reply && reply->status >= 0 ? StatusEntry(reply->status).code : "none";
}

std::string Header(const std::unique_ptr<CRtspMessage>& message, const char* name)
{
    std::string text;
    return message && message->GetHeaderString(name, text) ? text : "absent";
}

// One client stream: its control connection, its media end and the SETUP reply.
struct Stream {
    explicit Stream(unsigned short port) : control(port) {}
    CSimClient control;
    CRtpReceiver media;
    std::string url;
    std::string session;
    std::unique_ptr<CRtspMessage> setup;
};

std::unique_ptr<CRtspMessage> Ask(Stream& stream, const std::string& request)
{
    int port = stream.media.UdpPort();
    std::string text = Replace(Replace(request, "{url}", stream.url), "{session}", stream.session);
    return stream.control.Request(Replace(text, "{ports}", std::to_string(port) + "-" + std::to_string(port + 1)));
}

void ExpectReply(const std::unique_ptr<CRtspMessage>& reply, const Exchange& exchange)
{
    EXPECT_EQ(exchange.status, Status(reply)) << exchange.request;
    for (const auto& header : exchange.headers) {
        std::string value = Header(reply, header.first.c_str());
        EXPECT_TRUE(std::regex_match(value, std::regex(header.second)))
            << exchange.request << header.first << ": " << value;
    }
}

void ExpectReplies(Stream& stream, const std::vector<Exchange>& exchanges)
{
    for (const Exchange& exchange : exchanges)
        ExpectReply(Ask(stream, exchange.request), exchange);
}

// PLAY from the start and wait for the first picture.
void StartPlaying(Stream& stream)
{
    ASSERT_EQ("200", Status(Ask(stream, kPlay)));
    ReceivedFrame frame;
    ASSERT_TRUE(stream.media.NextFrame(frame));
}

// What was on its way may still arrive; after that nothing comes.
bool FallsSilent(Stream& stream)
{
    stream.media.Drain(300);
    ReceivedPacket packet;
    return !stream.media.Next(packet, 600);
}

class SimServerTest : public ::testing::Test {
protected:
    // Small pictures, on a port the system picks.
    SimServerTest() { Reset(); }
    void Reset()
    {
        options = ServerOptions();
        options.port = 0;
        options.width = 160;
        options.height = 96;
        options.fps = kFps;
    }

    void StartServer()
    {
        server.reset(new CSimServer(options));
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    std::unique_ptr<Stream> Open(const std::string& path, bool tcp = false)
    {
        std::unique_ptr<Stream> stream(new Stream(server->Port()));
        stream->url = "rtsp://127.0.0.1:" + std::to_string(server->Port()) + path;
        stream->setup = Ask(*stream, tcp ? kSetupTcp : kSetupUdp);
        stream->session = Header(stream->setup, "Session");
        const CRtspHeader* transport = stream->setup ? stream->setup->FindHeader("Transport") : nullptr;
        if (tcp && transport) {
            EXPECT_TRUE(stream->media.ConnectTcp(transport->ServerPort()));
        }
        return stream;
    }

    ServerOptions options;
    std::unique_ptr<CSimServer> server;
};

// Live: the server's clock as timestamp; recorded: the second the stream starts at. The body is
// the stream header: "LUMO", version 1, H.264, packaging, 160 x 96, 25 a second, clock rate 90000,
// length in ms, 4 zero bytes.
TEST_F(SimServerTest, SetupAnswersSessionTransportTimestampAndStreamHeader)
{
    typedef std::vector<uint8_t> Bytes;
    const struct { const char* path; bool tcp; const char* timestamp; Bytes body; } cases[] = {
        {"/live/av_stream", false, "[0-9]+", {'L', 'U', 'M', 'O', 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 160, 0, 0, 0,
                                              96, 0, 0, 0, 25, 0, 0, 0, 0x90, 0x5f, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"/record/cam1", true, "0", {'L', 'U', 'M', 'O', 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 160, 0, 0, 0,
                                     96, 0, 0, 0, 25, 0, 0, 0, 0x90, 0x5f, 1, 0, 0xc0, 0xd4, 1, 0, 0, 0, 0, 0}},
    };
    StartServer();
    for (const auto& c : cases) {
        auto stream = Open(c.path, c.tcp);
        ASSERT_TRUE(stream->setup) << c.path;
        ExpectReply(stream->setup, {c.path, "200", {{"Session", "[0-9]+;timeout=60"}, {"Content-Length", "40"},
                                                    {"timestamp", c.timestamp}}});
        EXPECT_EQ(1, stream->setup->cseq);
        auto body = reinterpret_cast<const uint8_t*>(stream->setup->body.get());
        EXPECT_EQ(c.body, Bytes(body, body + stream->setup->bodyLength)) << c.path;
        std::smatch ports;
        std::string transport = Header(stream->setup, "Transport");
        int port = stream->media.UdpPort();
        std::string pattern = std::string("RTP/AVP/") + (c.tcp ? "TCP" : "UDP") + ";unicast;client_port=" +
                              std::to_string(port) + "-" + std::to_string(port + 1) + ";server_port=([0-9]+)-([0-9]+)";
        ASSERT_TRUE(std::regex_match(transport, ports, std::regex(pattern))) << transport;
        EXPECT_EQ(std::stoi(ports[1]) + 1, std::stoi(ports[2]));
    }
}

// Whatever the server refuses leaves the connection usable: the keep-alive after them is answered.
TEST_F(SimServerTest, RefusedRequestsAnswerTheirStatus)
{
    StartServer();
    auto stream = Open("/record/cam1");
    ExpectReplies(*stream, {
        {"SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nUser-agent: Varoplayer\r\n\r\n", "461", {}},
        {"SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/SCTP;unicast;client_port=5000-5001\r\n\r\n", "461", {}},
        {"SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;unicast\r\n\r\n", "461", {}},
        {"SETUP {url} RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;client_port=x-y\r\n\r\n", "461", {}},
        {"PLAY {url}\r\n\r\n", "400", {}},
        {"HELLO {url} RTSP/1.0\r\nCSeq: 3\r\n\r\n", "400", {}},
        {"RTSP/1.0 200 OK\r\nCSeq: 4\r\n\r\n", "400", {}},
        {"\x01\x02\xff\xfe\r\n\r\n", "400", {}},
        {"PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:999;timeout=60\r\nRange: npt=0.0-\r\n\r\n", "454", {}},
        {"PAUSE {url} RTSP/1.0\r\nCSeq: 4\r\nUser-agent: 999\r\n\r\n", "454", {}},
        {"PLAY {url} RTSP/1.0\r\nCSeq: 5\r\nUser-agent: 999\r\n\r\n", "454", {}},
        {"TEARDOWN {url} RTSP/1.0\r\nCSeq: 6\r\nUser-agent: 999\r\n\r\n", "454", {}},
        {"OPTIONS {url} RTSP/1.0\r\nCSeq: 8\r\nUser-agent: 999\r\n\r\n", "454", {}},
        {"PLAY {url} RTSP/1.0\r\nCSeq: 2\r\nSession:{session}\r\nRange: npt=120.0-\r\n\r\n", "457", {}},
        {kKeepAlive, "200", {}},
    });
}

// Picture values outside 0..255 are held at the ends; camera commands are answered 200, known or not.
TEST_F(SimServerTest, OptionsReadAndSetThePictureAndMoveTheCamera)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    ExpectReplies(*stream, {
        {kGetPicture, "200", {{"bri", "128"}, {"con", "128"}, {"sat", "128"}, {"hue", "128"}}},
        {"OPTIONS {url} RTSP/1.0\r\nCSeq: 9\r\nbri: 10\r\ncon: -5\r\nsat: 0\r\nhue: 300\r\n\r\n", "200",
         {{"bri", "absent"}}},
        {kGetPicture, "200", {{"bri", "10"}, {"con", "0"}, {"sat", "0"}, {"hue", "255"}}},
        {"OPTIONS {url} RTSP/1.0\r\nCSeq: 10\r\ncommand: 71\r\nparam1: 10\r\nparam2: 20\r\nparam3: 110\r\n"
         "param4: 4294967295\r\n\r\n", "200", {{"bri", "absent"}}},
        {"OPTIONS {url} RTSP/1.0\r\nCSeq: 11\r\ncommand: 999\r\n\r\n", "200", {}},
    });
}

// Each picture SPS and PPS first when it is a key frame, one at least every second, timestamps a
// frame apart, sequence numbers running on; whichever way it travels.
TEST_F(SimServerTest, MediaIsH264InRtpOverUdpAndTcp)
{
    StartServer();
    for (bool tcp : {false, true}) {
        auto stream = Open(tcp ? "/record/cam1" : "/live/av_stream", tcp);
        ASSERT_EQ("200", Status(Ask(*stream, kPlay)));
        ReceivedFrame first, frame;
        ASSERT_TRUE(stream->media.NextFrame(first));
        ASSERT_TRUE(first.IsKey());
        uint32_t timestamp = first.Timestamp();
        uint16_t sequence = static_cast<uint16_t>(first.packets.back().sequence + 1);
        int sinceKey = 0;
        for (int i = 0; i < kFps + 1; ++i) {
            ASSERT_TRUE(stream->media.NextFrame(frame)) << tcp;
            sinceKey = frame.IsKey() ? 0 : sinceKey + 1;
            EXPECT_LT(sinceKey, kFps) << tcp;
            if (frame.IsKey()) {
                EXPECT_EQ((std::vector<int>{7, 8}), (std::vector<int>{frame.UnitType(0), frame.UnitType(1)})) << tcp;
            }
            EXPECT_TRUE(frame.fragmentsOk) << tcp;
            EXPECT_EQ(timestamp += kTicksPerFrame, frame.Timestamp()) << tcp;
            EXPECT_EQ(first.packets[0].ssrc, frame.packets[0].ssrc) << tcp;
            for (const ReceivedPacket& packet : frame.packets)
                EXPECT_EQ(sequence++, packet.sequence) << tcp;
        }
    }
}

TEST_F(SimServerTest, ARecordingEndsAfterItsLength)
{
    options.durationSeconds = 1;
    StartServer();
    auto stream = Open("/record/cam1");
    ASSERT_EQ("200", Status(Ask(*stream, kPlay)));
    ReceivedFrame frame;
    int frames = 0;
    while (stream->media.NextFrame(frame, 1000))
        ++frames;
    EXPECT_EQ(kFps, frames);
    EXPECT_EQ("200", Status(Ask(*stream, kResume))) << "a resume at the end";
    EXPECT_TRUE(FallsSilent(*stream));
}

// Pause stops the media and resume goes on with a key frame; a teardown or a client that
// vanishes ends it; stopping the server closes the connections still open.
TEST_F(SimServerTest, PauseTeardownAVanishingClientAndStopEndTheMedia)
{
    StartServer();
    auto recorded = Open("/record/cam1");
    StartPlaying(*recorded);
    ASSERT_EQ("200", Status(Ask(*recorded, kPause)));
    EXPECT_TRUE(FallsSilent(*recorded));
    ASSERT_EQ("200", Status(Ask(*recorded, kResume)));
    ReceivedFrame frame;
    ASSERT_TRUE(recorded->media.NextFrame(frame));
    EXPECT_TRUE(frame.IsKey());
    for (bool teardown : {true, false}) {
        auto stream = Open("/live/av_stream");
        StartPlaying(*stream);
        if (teardown)
            ASSERT_EQ("200", Status(Ask(*stream, kTeardown)));
        else
            stream->control.Close();
        EXPECT_TRUE(FallsSilent(*stream)) << teardown;
    }
    server->Stop();
    EXPECT_TRUE(recorded->control.ClosedByServer(3000));
}

// --- Faults -------------------------------------------------------------------------------------

struct FaultCase {
    const char* name;
    void (*configure)(ServerOptions& options);
    void (*check)(Stream& stream);
};

const FaultCase kFaults[] = {
    {"IgnoreKeepAlive", [](ServerOptions& o) { o.ignoreKeepAlive = true; },
     [](Stream& s) {
         ASSERT_TRUE(s.control.Send(Replace(kKeepAlive, "{url}", s.url)));
         EXPECT_EQ(nullptr, s.control.Receive(500));
         // The next reply is the next request's: the keep-alive got none.
         auto reply = Ask(s, kGetPicture);
         EXPECT_EQ(8, reply ? reply->cseq : -1);
     }},
    {"DelayReplies", [](ServerOptions& o) { o.replyDelayMs = 300; },
     [](Stream& s) {
         auto sent = std::chrono::steady_clock::now();
         EXPECT_EQ("200", Status(Ask(s, kKeepAlive)));
         EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(250));
     }},
    {"ErrorOnPlay", [](ServerOptions& o) { o.errorReplies[2] = StatusIndex("503"); },
     [](Stream& s) { ExpectReplies(s, {{kPlay, "503", {}}, {kKeepAlive, "200", {}}}); }},
    {"CloseAfter", [](ServerOptions& o) { o.closeAfterSeconds = 1; },
     [](Stream& s) { EXPECT_TRUE(s.control.ClosedByServer(5000)); }},
    {"LoseEveryPacket", [](ServerOptions& o) { o.lossPercent = 100; },
     [](Stream& s) {
         EXPECT_EQ("200", Status(Ask(s, kPlay)));
         ReceivedPacket packet;
         EXPECT_FALSE(s.media.Next(packet, 1000));
     }},
};

TEST_F(SimServerTest, FaultsDoWhatTheySay)
{
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        Reset();
        fault.configure(options);
        StartServer();
        auto stream = Open("/live/av_stream");
        ASSERT_EQ("200", Status(stream->setup));
        fault.check(*stream);
    }
}

// Blast mode: the packets' bytes are BlastPacket's; here their count runs at the rate, from 0 at
// the first PLAY, on across a pause, over UDP and TCP.
TEST_F(SimServerTest, BlastModeCountsPacketsAtItsRateAcrossAPause)
{
    const int kRate = 400;
    options.blast = true;
    options.blastRate = kRate;
    options.blastSize = 200;
    StartServer();
    for (bool tcp : {false, true}) {
        auto stream = Open(tcp ? "/record/cam1" : "/live/av_stream", tcp);
        ASSERT_EQ("200", Status(Ask(*stream, kPlay)));
        // A second's worth, counted from PLAY: loose bounds that a busy machine still meets.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        uint32_t counter = 0;
        ReceivedPacket packet;
        while (std::chrono::steady_clock::now() < until && stream->media.Next(packet)) {
            ASSERT_EQ(200u, packet.bytes.size()) << tcp;
            ASSERT_EQ(counter++, packet.timestamp) << tcp;
        }
        EXPECT_GT(counter, uint32_t(kRate / 2)) << tcp;
        EXPECT_LT(counter, uint32_t(kRate * 3 / 2)) << tcp;
        ASSERT_EQ("200", Status(Ask(*stream, kPause)));
        while (stream->media.Next(packet, 500))
            counter = packet.timestamp + 1;
        ASSERT_EQ("200", Status(Ask(*stream, kResume)));
        ASSERT_TRUE(stream->media.Next(packet));
        EXPECT_EQ(counter, packet.timestamp) << tcp;
    }
}

} // namespace
