// The simulator served in-process on a port of its own and driven over loopback sockets with
// the exact requests the client sends.
#include "RtpReceiver.h"
#include "SimClient.h"
#include "SimServer.h"
#include "fakes/WaitUntil.h"
#include "lumodec/LumoStreamHeader.h"
#include "rtspmsg/RtspRangeValue.h"
#include "rtspmsg/RtspResponse.h"
#include "rtspmsg/RtspTables.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

namespace {

const int kWidth = 160, kHeight = 96, kFps = 25;
const uint32_t kTicksPerFrame = 90000 / kFps;

std::string Format(const char* format, const std::string& a, int b, const std::string& c = "", int d = 0)
{
    char text[1024];
    std::snprintf(text, sizeof text, format, a.c_str(), b, c.c_str(), d);
    return text;
}

// The client's requests, written as it writes them.
std::string SetupText(const std::string& url, int cseq, const std::string& kind, int port)
{
    return Format("SETUP %s RTSP/1.0\r\nCSeq: %d\r\nTransport: RTP/AVP/%s;unicast;client_port=%d-", url, cseq, kind,
                  port) +
           std::to_string(port + 1) + "\r\nUser-agent: Varoplayer\r\n\r\n";
}

std::string PlayText(const std::string& url, int cseq, const std::string& session, int second)
{
    return Format("PLAY %s RTSP/1.0\r\nCSeq: %d\r\nSession:%s\r\nRange: npt=%d.0-\r\nUser-agent: Varoplayer\r\n\r\n",
                  url, cseq, session, second);
}

std::string ScaleText(const std::string& url, int cseq, const std::string& session, int scale)
{
    return Format("PLAY %s RTSP/1.0\r\nCSeq: %d\r\nSession:%s\r\nScale:%d\r\nRange: npt=0.0-\r\nUser-agent: "
                  "Varoplayer\r\n\r\n",
                  url, cseq, session, scale);
}

// PAUSE, resume PLAY and TEARDOWN: the session identifier stands after "User-agent: ".
std::string BareText(const std::string& method, const std::string& url, int cseq, const std::string& session)
{
    return method + Format(" %s RTSP/1.0\r\nCSeq: %d\r\nUser-agent: %s\r\n\r\n", url, cseq, session);
}

std::string KeepAliveText(const std::string& url, int cseq)
{
    return Format("ANNOUNCE %s RTSP/1.0\r\nCSeq: %d\r\nAccept: application/sdp\r\nUser-agent: Varoplayer\r\n\r\n", url,
                  cseq);
}

std::string OptionsText(const std::string& url, int cseq, const std::string& headers)
{
    return Format("OPTIONS %s RTSP/1.0\r\nCSeq: %d\r\n", url, cseq) + headers + "\r\n";
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

ServerOptions SmallPictures()
{
    ServerOptions options;
    options.port = 0;
    options.width = kWidth;
    options.height = kHeight;
    options.fps = kFps;
    return options;
}

// One client stream: its control connection, its media end and the SETUP reply.
struct Stream {
    explicit Stream(unsigned short port) : control(port) {}
    std::string Url() const { return url; }
    CSimClient control;
    CRtpReceiver media;
    std::string url;
    std::string session; // as the client keeps it: the whole Session value
    std::unique_ptr<CRtspMessage> setup;
    int cseq = 1;
};

class SimServerTest : public ::testing::Test {
protected:
    void StartServer(const ServerOptions& options = SmallPictures())
    {
        server.reset(new CSimServer(options));
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    std::string Url(const std::string& path) const
    {
        return "rtsp://127.0.0.1:" + std::to_string(server->Port()) + path;
    }

    std::unique_ptr<Stream> Open(const std::string& path, bool tcp = false)
    {
        std::unique_ptr<Stream> stream(new Stream(server->Port()));
        stream->url = Url(path);
        stream->setup = stream->control.Request(SetupText(stream->url, stream->cseq++, tcp ? "TCP" : "UDP",
                                                          stream->media.UdpPort()));
        stream->session = Header(stream->setup, "Session");
        if (tcp && stream->setup && stream->setup->FindHeader("Transport")) {
            EXPECT_TRUE(stream->media.ConnectTcp(stream->setup->FindHeader("Transport")->ServerPort()));
        }
        return stream;
    }

    std::string Ask(Stream& stream, const std::string& text) { return Status(stream.control.Request(text)); }
    std::string Play(Stream& s, int second) { return Ask(s, PlayText(s.url, s.cseq++, s.session, second)); }
    std::string Bare(Stream& s, const char* method) { return Ask(s, BareText(method, s.url, s.cseq++, s.session)); }

    // PLAY from the start and wait for the first picture.
    void StartPlaying(Stream& stream)
    {
        ASSERT_EQ("200", Play(stream, 0));
        ReceivedFrame frame;
        ASSERT_TRUE(stream.media.NextFrame(frame));
    }

    // What was on its way may still arrive; after that nothing comes.
    static bool FallsSilent(Stream& stream)
    {
        stream.media.Drain(300);
        ReceivedPacket packet;
        return !stream.media.Next(packet, 600);
    }

    std::unique_ptr<CSimServer> server;
};

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// "<prefix>N-M" with M = N + 1.
bool EndsWithPortPair(const std::string& text, const std::string& prefix)
{
    std::string pair = text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : "";
    std::string::size_type dash = pair.find('-');
    return dash != std::string::npos && IsNumber(pair.substr(0, dash)) && IsNumber(pair.substr(dash + 1)) &&
           std::stoi(pair.substr(dash + 1)) == std::stoi(pair.substr(0, dash)) + 1;
}

struct SetupCase {
    const char* path;
    bool tcp;
    uint32_t packaging;
    uint32_t durationMs;
};

TEST_F(SimServerTest, SetupAnswersSessionTransportTimestampAndStreamHeader)
{
    const SetupCase cases[] = {
        {"/live/av_stream", false, LumoStreamHeader::kPackagingDatagrams, 0},
        {"/record/cam1", true, LumoStreamHeader::kPackagingFramed, 120000},
    };
    StartServer();
    for (const SetupCase& c : cases) {
        auto stream = Open(c.path, c.tcp);
        ASSERT_EQ("200", Status(stream->setup)) << c.path;
        EXPECT_EQ(1, stream->setup->cseq);
        std::string::size_type semicolon = stream->session.find(';');
        EXPECT_TRUE(IsNumber(stream->session.substr(0, semicolon))) << stream->session;
        EXPECT_EQ(";timeout=60", stream->session.substr(semicolon)) << stream->session;
        int port = stream->media.UdpPort();
        std::string transport = Header(stream->setup, "Transport");
        EXPECT_TRUE(EndsWithPortPair(transport, std::string("RTP/AVP/") + (c.tcp ? "TCP" : "UDP") +
                                                    ";unicast;client_port=" + std::to_string(port) + "-" +
                                                    std::to_string(port + 1) + ";server_port="))
            << transport;
        // Live: the server's clock; recorded: the second the stream starts at.
        std::string timestamp = Header(stream->setup, "timestamp");
        EXPECT_TRUE(c.durationMs ? timestamp == "0" : IsNumber(timestamp)) << timestamp;
        EXPECT_EQ("40", Header(stream->setup, "Content-Length"));
        LumoStreamHeader header;
        ASSERT_TRUE(header.Read(reinterpret_cast<const unsigned char*>(stream->setup->body.get()),
                                stream->setup->bodyLength));
        EXPECT_EQ(c.packaging, header.packaging);
        EXPECT_EQ(uint32_t(kWidth), header.width);
        EXPECT_EQ(uint32_t(kHeight), header.height);
        EXPECT_EQ(uint32_t(kFps), header.frameRate);
        EXPECT_EQ(90000u, header.clockRate);
        EXPECT_EQ(c.durationMs, header.durationMs);
    }
}

TEST_F(SimServerTest, SetupWithATransportItCannotServeAnswers461)
{
    StartServer();
    const char* transports[] = {"", "Transport: RTP/AVP/SCTP;unicast;client_port=5000-5001\r\n",
                                "Transport: RTP/AVP/UDP;unicast\r\n", "Transport: RTP/AVP/UDP;client_port=x-y\r\n"};
    CSimClient client(server->Port());
    for (const char* transport : transports)
        EXPECT_EQ("461", Status(client.Request("SETUP " + Url("/a") + " RTSP/1.0\r\nCSeq: 1\r\n" + transport +
                                               "User-agent: Varoplayer\r\n\r\n")))
            << transport;
}

// The structure every picture must have, whichever way it travels.
void ExpectH264InRtp(CRtpReceiver& media)
{
    ReceivedFrame first, second;
    ASSERT_TRUE(media.NextFrame(first));
    ASSERT_TRUE(media.NextFrame(second));
    ASSERT_GE(first.units.size(), 3u);
    EXPECT_EQ(7, first.UnitType(0)) << "SPS first";
    EXPECT_EQ(8, first.UnitType(1)) << "then PPS";
    EXPECT_TRUE(first.IsKey());
    EXPECT_TRUE(first.fragmentsOk);
    EXPECT_TRUE(second.fragmentsOk);
    EXPECT_EQ(first.Timestamp() + kTicksPerFrame, second.Timestamp());
    uint16_t sequence = first.packets.front().sequence;
    for (const ReceivedFrame* frame : {&first, &second})
        for (size_t i = 0; i < frame->packets.size(); ++i) {
            const ReceivedPacket& p = frame->packets[i];
            EXPECT_EQ(2, p.version);
            EXPECT_EQ(96, p.payloadType);
            EXPECT_EQ(first.packets.front().ssrc, p.ssrc);
            EXPECT_EQ(sequence++, p.sequence);
            EXPECT_EQ(i + 1 == frame->packets.size(), p.marker);
            EXPECT_LE(p.bytes.size(), 1412u);
        }
}

TEST_F(SimServerTest, UdpMediaIsH264InRtpWithSpsAndPpsBeforeTheKeyFrame)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Play(*stream, 0));
    ExpectH264InRtp(stream->media);
}

TEST_F(SimServerTest, KeyFramesComeAtLeastEverySecond)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Play(*stream, 0));
    int sinceKey = 0;
    ReceivedFrame frame;
    for (int i = 0; i < 2 * kFps + 1; ++i) {
        ASSERT_TRUE(stream->media.NextFrame(frame));
        sinceKey = frame.IsKey() ? 0 : sinceKey + 1;
        if (frame.IsKey()) {
            EXPECT_EQ(7, frame.UnitType(0)) << "SPS and PPS before every key frame";
        }
        EXPECT_LT(sinceKey, kFps) << i;
    }
}

TEST_F(SimServerTest, TcpMediaIsFramedRtp)
{
    StartServer();
    auto stream = Open("/record/cam1", true);
    ASSERT_EQ("200", Play(*stream, 0));
    ExpectH264InRtp(stream->media);
}

TEST_F(SimServerTest, LargeUnitsTravelAsFuAFragmentsAndSmallOnesAlone)
{
    ServerOptions options = SmallPictures();
    options.width = 640;
    options.height = 360;
    StartServer(options);
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Play(*stream, 0));
    ReceivedFrame key;
    ASSERT_TRUE(stream->media.NextFrame(key));
    EXPECT_TRUE(key.fragmentsOk);
    EXPECT_EQ(7, key.packets[0].Payload()[0] & 0x1f) << "a small SPS goes alone";
    EXPECT_EQ(28, key.packets.back().Payload()[0] & 0x1f) << "a key frame of 640x360 does not fit one packet";
    EXPECT_EQ(1412u, key.packets[key.packets.size() - 2].bytes.size()) << "fragments are filled";
}

TEST_F(SimServerTest, PlayWithRangeRestartsTheRecordingAtThatSecond)
{
    StartServer();
    auto stream = Open("/record/cam1");
    ASSERT_EQ("200", Play(*stream, 0));
    ReceivedFrame frame;
    ASSERT_TRUE(stream->media.NextFrame(frame));
    uint32_t start = frame.Timestamp();
    auto reply = stream->control.Request(PlayText(stream->url, stream->cseq++, stream->session, 37));
    ASSERT_EQ("200", Status(reply));
    const CRtspHeader* range = reply->FindHeader("Range");
    ASSERT_NE(nullptr, range);
    EXPECT_EQ(37000, static_cast<CRtspRangeValue*>(range->FirstValue())->start);
    // Pictures made before the request may still be on their way; the restart begins with a key frame.
    bool found = false;
    for (int i = 0; i < 10 && !found && stream->media.NextFrame(frame); ++i)
        found = frame.Timestamp() == start + 37 * 90000;
    ASSERT_TRUE(found);
    EXPECT_TRUE(frame.IsKey());
    ReceivedFrame next;
    ASSERT_TRUE(stream->media.NextFrame(next));
    EXPECT_EQ(frame.Timestamp() + kTicksPerFrame, next.Timestamp());
}

TEST_F(SimServerTest, PlayBeyondTheRecordingAnswers457)
{
    StartServer();
    auto stream = Open("/record/cam1");
    EXPECT_EQ("457", Play(*stream, 120));
}

TEST_F(SimServerTest, ARecordingEndsAfterItsLength)
{
    ServerOptions options = SmallPictures();
    options.durationSeconds = 1;
    StartServer(options);
    auto stream = Open("/record/cam1");
    ASSERT_EQ("200", Play(*stream, 0));
    ReceivedFrame frame;
    int frames = 0;
    while (stream->media.NextFrame(frame, 1000))
        ++frames;
    EXPECT_EQ(kFps, frames);
    EXPECT_EQ("200", Bare(*stream, "PLAY")) << "a resume at the end";
    EXPECT_TRUE(FallsSilent(*stream));
}

TEST_F(SimServerTest, PauseStopsTheMediaAndResumeGoesOnWithAKeyFrame)
{
    StartServer();
    auto stream = Open("/record/cam1");
    StartPlaying(*stream);
    ASSERT_EQ("200", Bare(*stream, "PAUSE"));
    EXPECT_TRUE(FallsSilent(*stream));
    ASSERT_EQ("200", Bare(*stream, "PLAY"));
    ReceivedFrame frame;
    ASSERT_TRUE(stream->media.NextFrame(frame));
    EXPECT_TRUE(frame.IsKey());
}

TEST_F(SimServerTest, ScaleIsEchoedAndPlaysTheRecordingFaster)
{
    StartServer();
    auto stream = Open("/record/cam1");
    ASSERT_EQ("200", Play(*stream, 0));
    auto reply = stream->control.Request(ScaleText(stream->url, stream->cseq++, stream->session, 4));
    ASSERT_EQ("200", Status(reply));
    EXPECT_EQ("4", Header(reply, "Scale"));
    // Four times 25 pictures a second: well over 25 arrive within a second, whatever the load.
    auto start = std::chrono::steady_clock::now();
    int frames = 0;
    ReceivedFrame frame;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1) && stream->media.NextFrame(frame))
        ++frames;
    EXPECT_GT(frames, 40);
}

TEST_F(SimServerTest, PictureParametersRoundTripThroughSetAndGet)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    auto get = [&] { return stream->control.Request(OptionsText(stream->url, stream->cseq++, "")); };
    auto defaults = get();
    ASSERT_EQ("200", Status(defaults));
    for (const char* name : {"bri", "con", "sat", "hue"})
        EXPECT_EQ("128", Header(defaults, name)) << name;
    // Values outside 0..255 are held at the ends.
    ASSERT_EQ("200", Ask(*stream, OptionsText(stream->url, stream->cseq++, "bri: 10\r\ncon: -5\r\nsat: 0\r\nhue: 300\r\n")));
    auto changed = get();
    EXPECT_EQ("10", Header(changed, "bri"));
    EXPECT_EQ("0", Header(changed, "con"));
    EXPECT_EQ("0", Header(changed, "sat"));
    EXPECT_EQ("255", Header(changed, "hue"));
}

TEST_F(SimServerTest, CameraCommandsAnswer200KnownOrNot)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    const int commands[] = {1, 2, 3, 4, 5, 6, 7, 71, 999};
    for (int command : commands)
        EXPECT_EQ("200", Ask(*stream, OptionsText(stream->url, stream->cseq++,
                                                 "command: " + std::to_string(command) +
                                                     "\r\nparam1: 10\r\nparam2: 20\r\nparam3: 110\r\nparam4: 4294967295\r\n")))
            << command;
}

TEST_F(SimServerTest, UnreadableRequestsAnswer400AndTheConnectionGoesOn)
{
    StartServer();
    const char* garbage[] = {
        "PLAY rtsp://127.0.0.1/a\r\n\r\n",           // no version
        "HELLO rtsp://127.0.0.1/a RTSP/1.0\r\nCSeq: 3\r\n\r\n", // no such method
        "RTSP/1.0 200 OK\r\nCSeq: 4\r\n\r\n",        // a reply is no request
        "\x01\x02\xff\xfe\r\n\r\n",
    };
    CSimClient client(server->Port());
    for (const char* text : garbage)
        EXPECT_EQ("400", Status(client.Request(text))) << text;
    EXPECT_EQ("200", Status(client.Request(KeepAliveText(Url("/a"), 5))));
}

TEST_F(SimServerTest, ARequestNamingAnUnknownSessionAnswers454)
{
    StartServer();
    std::string url = Url("/record/cam1");
    const std::string requests[] = {
        PlayText(url, 1, "999;timeout=60", 0),
        BareText("PAUSE", url, 2, "999"),
        BareText("PLAY", url, 3, "999"),
        BareText("TEARDOWN", url, 4, "999"),
        OptionsText(url, 5, ""),
    };
    CSimClient client(server->Port());
    for (const std::string& request : requests)
        EXPECT_EQ("454", Status(client.Request(request))) << request;
}

TEST_F(SimServerTest, TeardownEndsTheSessionAndItsMedia)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    StartPlaying(*stream);
    ASSERT_EQ("200", Bare(*stream, "TEARDOWN"));
    EXPECT_TRUE(FallsSilent(*stream));
    EXPECT_EQ("454", Bare(*stream, "PAUSE"));
}

TEST_F(SimServerTest, AClientThatVanishesTakesItsMediaWithIt)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    StartPlaying(*stream);
    stream->control.Close();
    EXPECT_TRUE(FallsSilent(*stream));
}

// Sessions kept apart, each with its media. Blast mode leaves the encoding out: how many live
// encodings the simulator keeps at their rate is a measurement (bench/simserver_capacity), and
// a hundred x264 encoders on two busy cores made this test fail now and then.
TEST_F(SimServerTest, AHundredStreamsPlayAtOnce)
{
    ServerOptions options = SmallPictures();
    options.blast = true;
    options.blastRate = 50;
    StartServer(options);
    std::vector<std::unique_ptr<Stream>> streams;
    std::set<std::string> sessions;
    for (int i = 0; i < 100; ++i) {
        streams.push_back(Open("/live/av_stream", i % 2 == 1));
        ASSERT_EQ("200", Status(streams.back()->setup)) << i;
        sessions.insert(streams.back()->session);
    }
    EXPECT_EQ(100u, sessions.size());
    for (auto& stream : streams)
        ASSERT_EQ("200", Play(*stream, 0));
    for (auto& stream : streams) {
        ReceivedPacket packet;
        EXPECT_TRUE(stream->media.Next(packet, 10000));
    }
}

TEST_F(SimServerTest, StopClosesConnectionsThatAreStillOpen)
{
    StartServer();
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Play(*stream, 0));
    server->Stop();
    EXPECT_TRUE(stream->control.ClosedByServer(3000));
}

// --- Faults -------------------------------------------------------------------------------------

struct FaultCase {
    const char* name;
    void (*configure)(ServerOptions& options);
    void (*check)(Stream& stream);
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << c.name;
}

class SimServerFaultTest : public SimServerTest, public ::testing::WithParamInterface<FaultCase> {};

const FaultCase kFaults[] = {
    {"IgnoreKeepAlive", [](ServerOptions& o) { o.ignoreKeepAlive = true; },
     [](Stream& s) {
         ASSERT_TRUE(s.control.Send(KeepAliveText(s.url, s.cseq++)));
         EXPECT_EQ(nullptr, s.control.Receive(500));
         // The next reply is the next request's: the keep-alive got none.
         auto reply = s.control.Request(OptionsText(s.url, s.cseq++, ""));
         EXPECT_EQ(s.cseq - 1, reply ? reply->cseq : -1);
     }},
    {"DelayReplies", [](ServerOptions& o) { o.replyDelayMs = 300; },
     [](Stream& s) {
         auto sent = std::chrono::steady_clock::now();
         EXPECT_EQ("200", Status(s.control.Request(KeepAliveText(s.url, s.cseq++))));
         EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(250));
     }},
    {"ErrorOnPlay", [](ServerOptions& o) { o.errorReplies[2] = StatusIndex("503"); },
     [](Stream& s) {
         EXPECT_EQ("503", Status(s.control.Request(PlayText(s.url, s.cseq++, s.session, 0))));
         EXPECT_EQ("200", Status(s.control.Request(KeepAliveText(s.url, s.cseq++))));
     }},
    {"CloseAfter", [](ServerOptions& o) { o.closeAfterSeconds = 1; },
     [](Stream& s) { EXPECT_TRUE(s.control.ClosedByServer(5000)); }},
    {"LoseEveryPacket", [](ServerOptions& o) { o.lossPercent = 100; },
     [](Stream& s) {
         EXPECT_EQ("200", Status(s.control.Request(PlayText(s.url, s.cseq++, s.session, 0))));
         ReceivedPacket packet;
         EXPECT_FALSE(s.media.Next(packet, 1000));
     }},
};

TEST_P(SimServerFaultTest, DoesWhatItSays)
{
    ServerOptions options = SmallPictures();
    GetParam().configure(options);
    StartServer(options);
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Status(stream->setup));
    GetParam().check(*stream);
}

INSTANTIATE_TEST_SUITE_P(Faults, SimServerFaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

ServerOptions Blasting(int rate)
{
    ServerOptions options = SmallPictures();
    options.blast = true;
    options.blastRate = rate;
    options.blastSize = 200;
    return options;
}

// A blaster packet as the load tool reads it: its counter in sequence and timestamp, zeros after.
void ExpectBlastPacket(const ReceivedPacket& packet, uint32_t counter)
{
    ASSERT_EQ(200u, packet.bytes.size());
    EXPECT_EQ(2, packet.version);
    EXPECT_TRUE(packet.marker);
    EXPECT_EQ(96, packet.payloadType);
    EXPECT_EQ(uint16_t(counter), packet.sequence);
    EXPECT_EQ(counter, packet.timestamp);
    EXPECT_EQ(std::vector<uint8_t>(188, 0), std::vector<uint8_t>(packet.Payload(), packet.Payload() + 188));
}

// The counter of the last packet that comes before the stream falls silent.
uint32_t LastBeforeSilence(Stream& stream)
{
    ReceivedPacket packet;
    uint32_t last = 0;
    while (stream.media.Next(packet, 500))
        last = packet.timestamp;
    return last;
}

TEST_F(SimServerTest, BlastModeSendsCountedPacketsAtItsRateOverUdpAndTcp)
{
    const int kRate = 400;
    StartServer(Blasting(kRate));
    for (bool tcp : {false, true}) {
        auto stream = Open(tcp ? "/record/cam1" : "/live/av_stream", tcp);
        ASSERT_EQ("200", Play(*stream, 0));
        // A second's worth, counted from PLAY: loose bounds that a busy machine still meets.
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        uint32_t counter = 0;
        ReceivedPacket packet;
        while (std::chrono::steady_clock::now() < until && stream->media.Next(packet)) {
            ExpectBlastPacket(packet, counter++);
            ASSERT_FALSE(HasFailure()) << (tcp ? "tcp " : "udp ") << counter;
        }
        EXPECT_GT(counter, uint32_t(kRate / 2)) << tcp;
        EXPECT_LT(counter, uint32_t(kRate * 3 / 2)) << tcp;
    }
}

TEST_F(SimServerTest, BlastCounterRunsOnAcrossPauseAndResume)
{
    StartServer(Blasting(1000));
    auto stream = Open("/live/av_stream");
    ASSERT_EQ("200", Play(*stream, 0));
    ReceivedPacket packet;
    ASSERT_TRUE(stream->media.Next(packet));
    EXPECT_EQ(0u, packet.timestamp) << "the counter starts at the first PLAY";
    ASSERT_EQ("200", Bare(*stream, "PAUSE"));
    uint32_t last = LastBeforeSilence(*stream);
    ASSERT_EQ("200", Bare(*stream, "PLAY"));
    ASSERT_TRUE(stream->media.Next(packet));
    EXPECT_EQ(last + 1, packet.timestamp);
    ASSERT_EQ("200", Bare(*stream, "TEARDOWN"));
    EXPECT_TRUE(FallsSilent(*stream));
}

} // namespace
