// Whole streams through the exported interface, against the scripted server on loopback: what
// goes over the wire, what the host hears and in which order, what reaches the decoder (the
// recording fake) and what the media sockets deliver. The client's fixed ports (10000 and up)
// are bound here, so these cases never run concurrently with each other.
#include "api/PlayerRegistry.h"
#include "fakes/DebugCapture.h"
#include "fakes/FakeLumodec.h"
#include "fakes/FakeRtspServer.h"
#include "fakes/LibraryStart.h"
#include "fakes/LoopbackSocket.h"
#include "fakes/WaitUntil.h"
#include "streamclient.h"

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const std::string kHeader40 = "LUMO0123456789abcdefghijklmnopqrstuvwxyz";
HWND const kWindow = reinterpret_cast<HWND>(0x50);
void* const kUser = reinterpret_cast<void*>(0x1234);

struct Chunk {
    int playerId;
    void* user;
    int type;
    std::string bytes;
};

// What the host's callbacks saw, in order.
struct HostLog {
    std::mutex mutex;
    Lines events;
    std::vector<Chunk> chunks;
    std::function<void(int id)> onSetupResult; // runs inside OnSetupResult
    std::function<void(int id)> onMedia;       // runs inside the data callback for media

    void Reset()
    {
        std::lock_guard<std::mutex> guard(mutex);
        events.clear();
        chunks.clear();
        onSetupResult = nullptr;
        onMedia = nullptr;
    }
    template <typename Hook>
    void Set(std::function<void(int)> HostLog::*hook, Hook value)
    {
        std::lock_guard<std::mutex> guard(mutex);
        this->*hook = value;
    }
    std::function<void(int)> Get(std::function<void(int)> HostLog::*hook)
    {
        std::lock_guard<std::mutex> guard(mutex);
        return this->*hook;
    }
    void Add(const std::string& event)
    {
        std::lock_guard<std::mutex> guard(mutex);
        events.push_back(event);
    }
    Lines Events()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return events;
    }
    std::vector<Chunk> Media()
    {
        std::lock_guard<std::mutex> guard(mutex);
        std::vector<Chunk> media;
        std::copy_if(chunks.begin(), chunks.end(), std::back_inserter(media), [](const Chunk& c) { return c.type == 1; });
        return media;
    }
};

// Never destroyed: receive and keep-alive threads of a test may outlive it by a little.
HostLog* const host = new HostLog;

void STREAMCLIENT_CALL OnData(int id, void* user, int type, const unsigned char* data, int length)
{
    {
        std::lock_guard<std::mutex> guard(host->mutex);
        host->chunks.push_back({id, user, type, std::string(reinterpret_cast<const char*>(data), length)});
        if (type == STREAM_DATA_HEADER)
            host->events.push_back("header(" + std::to_string(id) + "," + std::to_string(length) + ")");
    }
    std::function<void(int)> onMedia = host->Get(&HostLog::onMedia);
    if (type == STREAM_DATA_MEDIA && onMedia)
        onMedia(id);
}

void STREAMCLIENT_CALL OnMessage(int id, int code, int param1, int param2)
{
    host->Add("message(" + std::to_string(id) + "," + std::to_string(code) + "," + std::to_string(param1) + "," +
              std::to_string(param2) + ")");
}

struct Notify : CStreamNotify {
    int id = -1;
    void OnTimestamp(int timestamp) override { host->Add("OnTimestamp(" + std::to_string(timestamp) + ")"); }
    void OnSetupResult(int ok) override
    {
        host->Add("OnSetupResult(" + std::to_string(ok) + ")");
        std::function<void(int)> onSetupResult = host->Get(&HostLog::onSetupResult);
        if (onSetupResult)
            onSetupResult(id);
    }
    void OnDisconnect() override { host->Add("OnDisconnect"); }
};

// Never destroyed, like the log.
Notify* const hostNotify = new Notify;

std::string SetupReply(int cseq, int serverPort, const std::string& body = kHeader40)
{
    return ReplyText("200 OK", cseq,
                     {"Session: 7;timeout=60",
                      "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=" + std::to_string(serverPort) +
                          "-" + std::to_string(serverPort + 1),
                      "timestamp: 1234"},
                     body);
}

// SETUP gets a stream header and the given server port, a rate change its Scale echoed;
// everything else 200 OK.
CFakeRtspServer::Responder Answering(int serverPort)
{
    return [serverPort](const std::string& request, int) {
        if (request.compare(0, 6, "SETUP ") == 0)
            return FakeReply::Text(SetupReply(RequestCSeq(request), serverPort));
        std::string::size_type scale = request.find("Scale:");
        if (scale != std::string::npos)
            return FakeReply::Text(ReplyText("200 OK", RequestCSeq(request), {"Scale: " + std::to_string(atoi(request.c_str() + scale + 6))}));
        return FakeReply::Text(ReplyText("200 OK", RequestCSeq(request), {}));
    };
}

int FreeUdpPorts()
{
    CPlayerRegistry* registry = CPlayerRegistry::GetInstance();
    std::vector<unsigned short> taken;
    for (unsigned short port = registry->AcquireUdpPort(); port != 0; port = registry->AcquireUdpPort())
        taken.push_back(port);
    for (unsigned short port : taken)
        registry->ReleaseUdpPort(port);
    return static_cast<int>(taken.size());
}

class Stream : public ::testing::Test {
protected:
    void SetUp() override
    {
        host->Reset();
        CFakeLumodec::Reset();
        ASSERT_EQ(0, InitStreamClientLib());
        server.SetResponder(Answering(media.Port()));
    }

    void TearDown() override
    {
        ReturnLibraryToStart();
        // The keep-alive and receive threads free what they own within a few hundred ms.
        Sleep(300);
    }

    int Create(int udp, HWND window = kWindow)
    {
        int id = StreamClient_CreatePlayer(&notify, window, OnData, OnMessage, udp);
        notify.id = id;
        return id;
    }

    std::string Url(const std::string& path = "/live/av_stream") const { return server.Url(path); }

    HostLog& log = *host;
    Notify& notify = *hostNotify;
    CFakeRtspServer server;
    CLoopbackSocket media{SOCK_DGRAM};
};

} // namespace

TEST_F(Stream, UdpStreamFromOpenToStop)
{
    int id = Create(1);
    const std::string url = Url();
    ASSERT_EQ(1, StreamClient_OpenURL(id, url.c_str(), kUser));
    EXPECT_EQ((Lines{"header(" + std::to_string(id) + ",40)", "OnTimestamp(1234)", "OnSetupResult(1)",
                     "message(" + std::to_string(id) + ",1,1234,0)", "message(" + std::to_string(id) + ",2,1,0)"}),
              log.Events());
    EXPECT_EQ((Lines{"Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,0)", "Lumo_OpenStream(0,40,1310720)"}),
              CFakeLumodec::Calls());
    unsigned char header[40];
    EXPECT_EQ(-1, StreamClient_GetHeader(id, header, 39));
    EXPECT_EQ(40, StreamClient_GetHeader(id, header, 40));
    EXPECT_EQ(kHeader40, std::string(reinterpret_cast<char*>(header), 40));

    const std::string session = "Session:7;timeout=60\r\n";
    const struct {
        const char* name;
        std::function<int()> call;
        int result;
        std::string request; // {url} stands for the URL; empty: none
        Lines decoder;
    } steps[] = {
        {"play", [&] { return StreamClient_Play(id); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\n" + session + "Range: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_ResetSourceBuffer(0)", "Lumo_Play(0,80)"}},
        {"rate", [&] { return StreamClient_ChangeRate(id, 4); }, 0,
         "PLAY {url} RTSP/1.0\r\nCSeq: 3\r\n" + session + "Scale:4\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_Fast(0)"}}, // one step up the ladder, however far the scale
        {"pause", [&] { return StreamClient_Pause(id); }, 1,
         "PAUSE {url} RTSP/1.0\r\nCSeq: 4\r\nUser-agent: 7;timeout=60\r\n\r\n", {"Lumo_Pause(0,1)"}},
        {"seek while paused", [&] { return StreamClient_RandomPlay(id, 125); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 5\r\n" + session + "Range: npt=125.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_ResetSourceBuffer(0)"}},
        {"resume", [&] { return StreamClient_Resume(id); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 6\r\nUser-agent: 7;timeout=60\r\n\r\n", {"Lumo_Pause(0,0)"}},
        {"zoom into an area", [&] { int area[4] = {10, 20, 110, 220}; return int(StreamClient_PTZSelZoomIn(id, area)); }, 1,
         "OPTIONS {url} RTSP/1.0\r\nCSeq: 7\r\ncommand: 71\r\nparam1: 10\r\nparam2: 20\r\nparam3: 110\r\nparam4: 220\r\n\r\n",
         {}},
        {"volume", [&] { return StreamClient_SetVolume(id, 30); }, 0, "", {"Lumo_SetVolume(0,30)"}},
        {"stop", [&] { return StreamClient_Stop(id); }, 0,
         "TEARDOWN {url} RTSP/1.0\r\nCSeq: 8\r\nUser-agent: 7;timeout=60\r\n\r\n",
         {"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)", "Lumo_CloseStream(0)", "Lumo_FreePort(0)"}},
    };
    size_t requests = 1;
    for (const auto& s : steps) {
        CFakeLumodec::ClearCalls();
        EXPECT_EQ(s.result, s.call()) << s.name;
        if (!s.request.empty()) {
            ASSERT_TRUE(server.WaitForRequests(++requests, 2000)) << s.name;
            std::string expected = s.request;
            expected.replace(expected.find("{url}"), 5, url);
            EXPECT_EQ(expected, server.Requests().back()) << s.name;
        }
        if (s.name != std::string("stop"))
            EXPECT_EQ(s.decoder, CFakeLumodec::Calls()) << s.name;
        else
            EXPECT_TRUE(WaitUntil([&] { return CFakeLumodec::Calls() == s.decoder; })) << "the receive thread ends the decoder";
    }
    EXPECT_EQ(CPlayerRegistry::kMaxPlayers, FreeUdpPorts()) << "the client port went back to its pool";
    EXPECT_EQ(-1, StreamClient_Play(id)) << "the player is gone";
}

TEST_F(Stream, UdpMediaIsDeliveredUnchangedToHostAndDecoder)
{
    int id = Create(1);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    ASSERT_EQ(1, StreamClient_Play(id));
    CFakeLumodec::ClearCalls();
    const std::vector<std::string> datagrams = {std::string(12, 'a'), std::string(1400, 'b'), std::string(5108, 'c')};
    for (const std::string& datagram : datagrams)
        media.SendTo(10000, datagram);
    ASSERT_TRUE(WaitUntil([&] { return log.Media().size() == datagrams.size(); }));
    for (size_t i = 0; i < datagrams.size(); ++i) {
        Chunk chunk = log.Media()[i];
        EXPECT_EQ(id, chunk.playerId);
        EXPECT_EQ(kUser, chunk.user);
        EXPECT_EQ(datagrams[i], chunk.bytes);
    }
    EXPECT_EQ((Lines{"Lumo_InputData(0,12)", "Lumo_InputData(0,1400)", "Lumo_InputData(0,5108)"}),
              CFakeLumodec::CallsOf("Lumo_InputData"));
}

TEST_F(Stream, TcpMediaArrivesOnItsOwnConnection)
{
    CLoopbackSocket mediaListener(SOCK_STREAM);
    mediaListener.Listen(1);
    server.SetResponder(Answering(mediaListener.Port()));
    int id = Create(0, nullptr);
    const std::string url = Url("/record/1.mp4");
    ASSERT_EQ(1, StreamClient_OpenURL(id, url.c_str(), kUser));
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    EXPECT_EQ("SETUP " + url +
                  " RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/TCP;unicast;client_port=10000-10001\r\nUser-agent: "
                  "Varoplayer\r\n\r\n",
              server.Requests()[0]);
    EXPECT_TRUE(CFakeLumodec::Calls().empty()) << "no window: nothing is decoded";
    ASSERT_EQ(1, StreamClient_Play(id));
    int values[4];
    EXPECT_EQ(-1, StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]))
        << "picture parameters belong to the live stream";
    SOCKET connection = mediaListener.AcceptOne();
    ASSERT_NE(0, connection);
    std::string burst;
    for (int i = 0; i < 12000; ++i)
        burst += static_cast<char>('A' + i % 26);
    SendSocket(connection, burst.data(), static_cast<int>(burst.size()));
    auto received = [&] {
        std::string all;
        for (const Chunk& chunk : log.Media())
            all += chunk.bytes;
        return all;
    };
    ASSERT_TRUE(WaitUntil([&] { return received().size() == burst.size(); }));
    EXPECT_EQ(burst, received());
    for (const Chunk& chunk : log.Media())
        EXPECT_LE(chunk.bytes.size(), 5108u);

    closesocket(connection); // the server ends the media: the stream goes on until stopped
    Sleep(50);
    EXPECT_EQ(0, StreamClient_Destroy(id));
    EXPECT_EQ(2u, server.Requests().size()) << "SETUP and PLAY only: no parameter request, no TEARDOWN";
}

TEST_F(Stream, FailedSetupsTellTheHost)
{
    CLoopbackSocket closedPort(SOCK_STREAM); // bound, never listening: connections are refused
    const std::string refused = "rtsp://127.0.0.1:" + std::to_string(closedPort.Port()) + "/live/av_stream";
    const std::string named = "rtsp://localhost:" + std::to_string(server.Port()) + "/live/av_stream";
    const Lines failedToConnect = {"zrk--------client CRtspSource InitNetworks failed 7\n",
                                   "zrk--------client CRtspSource Setup failed 1\n",
                                   "zrk--------client StreamClient_OpenURL failed 4\n"};
    const struct {
        const char* name;
        std::string url;
        std::vector<FakeReply> script;
        int result;
        Lines lines;
        bool told; // OnSetupResult(0) and message code 2 with 0
    } cases[] = {
        {"connection refused", refused, {}, -1, failedToConnect, true},
        {"host given by name", named, {}, -1, failedToConnect, true},
        {"error status", Url(), {FakeReply::Text(ReplyText("454 Session Not Found", 1, {}))}, -1,
         {"zrk--------client CRtspClient RecvRtspResponse receive error report!\n",
          "zrk--------client StreamClient_OpenURL failed 4\n"},
         true},
        {"redirect", Url(), {FakeReply::Text(ReplyText("302 Moved Temporarily", 1, {}))}, 1, {}, false},
        {"stream header over 40 bytes", Url(), {FakeReply::Text(SetupReply(1, media.Port(), std::string(41, 'h')))}, 1,
         {"zrk--------client CRtspSource OnSetup parse head failed!\n"}, true},
    };
    for (const auto& c : cases) {
        log.Reset();
        server.Script(c.script);
        int id = Create(1);
        CDebugCapture capture;
        EXPECT_EQ(c.result, StreamClient_OpenURL(id, c.url.c_str(), kUser)) << c.name;
        Lines lines = capture.Lines();
        lines.erase(std::remove(lines.begin(), lines.end(), "zrk--------client CRtspClient get error packet!\n"),
                    lines.end());
        EXPECT_EQ(c.lines, lines) << c.name;
        Lines told = {"OnSetupResult(0)", "message(" + std::to_string(id) + ",2,0,0)"};
        EXPECT_EQ(c.told ? told : Lines{}, log.Events()) << c.name;
        EXPECT_EQ(0, StreamClient_Destroy(id)) << c.name;
    }
    Sleep(300);
    EXPECT_EQ(CPlayerRegistry::kMaxPlayers, FreeUdpPorts()) << "every port went back";
}

TEST_F(Stream, SetupWithoutStreamHeaderStillDeliversAnEmptyOne)
{
    server.Script({FakeReply::Text(ReplyText("200 OK", 1, {"Session: 9"}))});
    int id = Create(1);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    EXPECT_EQ((Lines{"header(" + std::to_string(id) + ",0)", "OnTimestamp(-1)", "OnSetupResult(1)",
                     "message(" + std::to_string(id) + ",1,-1,0)", "message(" + std::to_string(id) + ",2,1,0)"}),
              log.Events());
    EXPECT_EQ((Lines{"Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,0)", "Lumo_OpenStream(0,0,1310720)"}),
              CFakeLumodec::Calls());
    unsigned char header[8];
    EXPECT_EQ(-1, StreamClient_GetHeader(id, header, sizeof header));
}

TEST_F(Stream, TakenMediaPortFailsTheTransportButNotTheRequest)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(10000);
    SOCKET blocker = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_EQ(0, bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address));
    int id = Create(1);
    CDebugCapture capture;
    EXPECT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    EXPECT_EQ(Lines{"zrk--------client CTransportWrapper Initialize failed 1!\n"}, capture.Lines());
    EXPECT_EQ((Lines{"OnSetupResult(0)", "message(" + std::to_string(id) + ",2,0,0)"}), log.Events());
    closesocket(blocker);
}

TEST_F(Stream, CallbacksMayNotReenterTheirOwnPlayer)
{
    int other = Create(1);
    int results[3] = {};
    log.Set(&HostLog::onSetupResult, [&](int id) {
        results[0] = StreamClient_Play(id);
        results[1] = StreamClient_Destroy(id);
        results[2] = StreamClient_Destroy(other);
    });
    int id = Create(1);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    EXPECT_EQ(-1, results[0]);
    EXPECT_EQ(-1, results[1]);
    EXPECT_EQ(0, results[2]) << "another player is fair game";
    EXPECT_EQ(1, StreamClient_Play(id)) << "the player survived";
}

// The receive thread holds no lock of the player: its callback may stop the player.
TEST_F(Stream, DataCallbackMayStopItsOwnPlayer)
{
    int id = Create(1, nullptr);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    std::atomic<int> stopResult{1};
    log.Set(&HostLog::onMedia, [&](int player) { stopResult = StreamClient_Stop(player); });
    media.SendTo(10000, "chunk");
    ASSERT_TRUE(WaitUntil([&] { return stopResult != 1; }));
    EXPECT_EQ(0, stopResult);
    EXPECT_EQ(-1, StreamClient_Play(id));
}

TEST_F(Stream, ServerClosingTheControlConnectionFailsRequestsUntilStop)
{
    int id = Create(1);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    ASSERT_EQ(1, StreamClient_Play(id));
    server.CloseConnections();
    ASSERT_TRUE(WaitUntil([&] { return server.Connections() == 0; }));
    CDebugCapture capture;
    EXPECT_EQ(-1, StreamClient_Pause(id));
    EXPECT_EQ(0, StreamClient_Stop(id));
    EXPECT_EQ(-1, StreamClient_Play(id));
}

TEST_F(Stream, HundredPlayersOpenAtOnce)
{
    std::vector<int> ids;
    for (int i = 0; i < 100; ++i)
        ids.push_back(Create(1, nullptr));
    std::vector<std::thread> hosts;
    std::atomic<int> opened{0};
    for (int h = 0; h < 4; ++h) {
        hosts.emplace_back([&, h] {
            for (int i = h; i < 100; i += 4)
                opened += StreamClient_OpenURL(ids[i], Url().c_str(), kUser) == 1;
        });
    }
    for (auto& t : hosts)
        t.join();
    EXPECT_EQ(100, opened);
    EXPECT_EQ(0, FreeUdpPorts());
    for (int id : ids)
        EXPECT_EQ(0, StreamClient_Stop(id));
    EXPECT_EQ(100, FreeUdpPorts());
}

// Takes about 25 s: six keep-alives 4 s apart.
TEST_F(Stream, KeepAlivesEveryFourSecondsAndTheLossOfTheServer)
{
    server.SetKeepAliveReply(FakeReply::Text(ReplyText("454 Session Not Found", 0, {})));
    int id = Create(1, nullptr);
    ASSERT_EQ(1, StreamClient_OpenURL(id, Url().c_str(), kUser));
    log.Reset();
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(server.WaitForKeepAlives(5, 30000));
    auto fifth = std::chrono::steady_clock::now() - start;
    EXPECT_GT(fifth, std::chrono::milliseconds(4 * 4000 + 3000));
    EXPECT_LT(fifth, std::chrono::milliseconds(5 * 4400 + 1000));
    EXPECT_TRUE(log.Events().empty()) << "five unanswered keep-alives are tolerated";
    ASSERT_TRUE(WaitUntil([&] { return log.Events().size() == 2; }, 6000));
    EXPECT_EQ((Lines{"OnDisconnect", "message(" + std::to_string(id) + ",14,0,0)"}), log.Events());
    ASSERT_TRUE(server.WaitForKeepAlives(6, 2000)) << "the sixth goes out all the same";
}

