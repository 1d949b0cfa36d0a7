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
#include "platform/LibraryWaits.h"
#include "streamclient.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Hook = std::function<void(int id)>;

const std::string kHeader40 = "LUMO0123456789abcdefghijklmnopqrstuvwxyz";
HWND const kWindow = reinterpret_cast<HWND>(0x50);
void* const kUser = reinterpret_cast<void*>(0x1234);

// What the host's callbacks saw, in order, and what they are to do besides.
struct HostLog {
    std::mutex mutex;
    Lines events;
    Hook onSetupResult; // runs inside OnSetupResult
    Hook onMedia;       // runs inside the data callback for media

    void Reset()
    {
        std::lock_guard<std::mutex> guard(mutex);
        events.clear();
        onSetupResult = onMedia = nullptr;
    }
    void Set(Hook HostLog::*hook, Hook value)
    {
        std::lock_guard<std::mutex> guard(mutex);
        this->*hook = value;
    }
    // Records the event; hands out the hook that runs for it.
    Hook Add(const std::string& event, Hook HostLog::*hook = nullptr)
    {
        std::lock_guard<std::mutex> guard(mutex);
        events.push_back(event);
        return hook ? this->*hook : nullptr;
    }
    Lines Events()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return events;
    }
};

// Never destroyed: receive and keep-alive threads of a test may outlive it by a little.
HostLog* const host = new HostLog;

// The bytes themselves are the transport tests' business.
void STREAMCLIENT_CALL OnData(int id, void* user, int type, const unsigned char*, int length)
{
    if (type == STREAM_DATA_HEADER) {
        host->Add("header(" + std::to_string(id) + "," + std::to_string(length) + ")");
        return;
    }
    std::string userValue = std::to_string(reinterpret_cast<uintptr_t>(user));
    if (Hook onMedia = host->Add("media(" + std::to_string(id) + "," + userValue + "," + std::to_string(length) + ")",
                                 &HostLog::onMedia))
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
        if (Hook hook = host->Add("OnSetupResult(" + std::to_string(ok) + ")", &HostLog::onSetupResult))
            hook(id);
    }
    void OnDisconnect() override { host->Add("OnDisconnect"); }
};

// Never destroyed, like the log.
Notify* const hostNotify = new Notify;

std::string SetupReply(int serverPort, const std::string& body = kHeader40)
{
    return ReplyText("200 OK", 1,
                     {"Session: 7;timeout=60",
                      "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=" + std::to_string(serverPort) +
                          "-" + std::to_string(serverPort + 1),
                      "timestamp: 1234"},
                     body);
}

class Stream : public ::testing::Test {
protected:
    void SetUp() override
    {
        host->Reset();
        CFakeLumodec::Reset();
        ASSERT_EQ(0, InitStreamClientLib());
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

    // SETUP is answered with the stream header and the media port; later requests with 200 OK.
    int Open(int id, const std::string& path = "/live/av_stream", int mediaPort = 0)
    {
        server.Script({FakeReply::Text(SetupReply(mediaPort ? mediaPort : media.Port()))});
        return StreamClient_OpenURL(id, Url(path).c_str(), kUser);
    }

    std::string Url(const std::string& path = "/live/av_stream") const { return server.Url(path); }

    HostLog& log = *host;
    Notify& notify = *hostNotify;
    CFakeRtspServer server;
    CLoopbackSocket media{SOCK_DGRAM};
};

} // namespace

// Each step is refused, or sent and followed by the decoder, as the player's state allows.
TEST_F(Stream, UdpStreamFromOpenToStop)
{
    int id = Create(1);
    const std::string url = Url();
    ASSERT_EQ(1, Open(id));
    EXPECT_EQ((Lines{"header(" + std::to_string(id) + ",40)", "OnTimestamp(1234)", "OnSetupResult(1)",
                     "message(" + std::to_string(id) + ",1,1234,0)", "message(" + std::to_string(id) + ",2,1,0)"}),
              log.Events());
    EXPECT_EQ((Lines{"Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,0)", "Lumo_OpenStream(0,40,1310720)"}),
              CFakeLumodec::Calls());
    unsigned char header[40];
    EXPECT_EQ(-1, StreamClient_GetHeader(id, header, 39));
    EXPECT_EQ(40, StreamClient_GetHeader(id, header, 40));
    EXPECT_EQ(kHeader40, std::string(reinterpret_cast<char*>(header), 40));

    // In 64 ms units; the product wraps at 32 bits before the division, as hosts have always seen it.
    CFakeLumodec::SetPlayedTime((1u << 26) + 1000); // 64 s
    unsigned seconds = 0;
    const std::string session = "Session:7;timeout=60\r\n";
    const struct {
        const char* name;
        std::function<int()> call;
        int result;
        std::string request; // {url} stands for the URL; empty: none may go out
        Lines decoder;
    } steps[] = {
        {"pause while opened", [&] { return StreamClient_Pause(id); }, -1, "", {}},
        {"seek while opened", [&] { return StreamClient_RandomPlay(id, 5); }, -1, "", {}},
        {"open again", [&] { return StreamClient_OpenURL(id, url.c_str(), kUser); }, -1, "", {}},
        {"play", [&] { return StreamClient_Play(id); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 2\r\n" + session + "Range: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_ResetSourceBuffer(0)", "Lumo_Play(0,80)"}},
        {"play again", [&] { return StreamClient_Play(id); }, -1, "", {}},
        {"resume while playing", [&] { return StreamClient_Resume(id); }, -1, "", {}},
        {"time in whole seconds", [&] { return StreamClient_GetCurTime(id, &seconds) == 0 ? int(seconds) : -1; }, 64,
         "", {"Lumo_GetPlayedTimeEx(0)"}},
        {"rate", [&] { server.Script({FakeReply::Text(ReplyText("200 OK", 3, {"Scale: 4"}))}); return StreamClient_ChangeRate(id, 4); }, 0,
         "PLAY {url} RTSP/1.0\r\nCSeq: 3\r\n" + session + "Scale:4\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_Fast(0)"}},
        {"pause refused", [&] { server.Script({FakeReply::Text(ReplyText("454 Session Not Found", 4, {}))}); return StreamClient_Pause(id); }, -1,
         "PAUSE {url} RTSP/1.0\r\nCSeq: 4\r\nUser-agent: 7;timeout=60\r\n\r\n", {}},
        {"pause, still playing", [&] { return StreamClient_Pause(id); }, 1,
         "PAUSE {url} RTSP/1.0\r\nCSeq: 5\r\nUser-agent: 7;timeout=60\r\n\r\n", {"Lumo_Pause(0,1)"}},
        {"rate while paused", [&] { return StreamClient_ChangeRate(id, 4); }, -1, "", {}},
        {"time while paused: refused, nothing written",
         [&] { return StreamClient_GetCurTime(id, &seconds) == -1 ? int(seconds) : -2; }, 64, "", {}},
        {"seek while paused", [&] { return StreamClient_RandomPlay(id, 125); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 6\r\n" + session + "Range: npt=125.0-\r\nUser-agent: Varoplayer\r\n\r\n",
         {"Lumo_ResetSourceBuffer(0)"}},
        {"resume", [&] { return StreamClient_Resume(id); }, 1,
         "PLAY {url} RTSP/1.0\r\nCSeq: 7\r\nUser-agent: 7;timeout=60\r\n\r\n", {"Lumo_Pause(0,0)"}},
        {"zoom into an area", [&] { int area[4] = {10, 20, 110, 220}; return int(StreamClient_PTZSelZoomIn(id, area)); }, 1,
         "OPTIONS {url} RTSP/1.0\r\nCSeq: 8\r\ncommand: 71\r\nparam1: 10\r\nparam2: 20\r\nparam3: 110\r\nparam4: 220\r\n\r\n",
         {}},
        {"volume", [&] { return StreamClient_SetVolume(id, 30); }, 0, "", {"Lumo_SetVolume(0,30)"}},
        {"decoder port 0 is a port", [&] { int port = -1; return StreamClient_GetPlayPort(id, &port) ? port : -2; }, 0,
         "", {}},
        {"stop", [&] { return StreamClient_Stop(id); }, 0,
         "TEARDOWN {url} RTSP/1.0\r\nCSeq: 9\r\nUser-agent: 7;timeout=60\r\n\r\n",
         {"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)", "Lumo_CloseStream(0)", "Lumo_FreePort(0)"}},
    };
    size_t requests = 1;
    for (const auto& s : steps) {
        CFakeLumodec::ClearCalls();
        EXPECT_EQ(s.result, s.call()) << s.name;
        // Every request waits for its reply, so the server has it once the call returns.
        requests += s.request.empty() ? 0 : 1;
        ASSERT_EQ(requests, server.Requests().size()) << s.name;
        if (!s.request.empty()) {
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

// The decoder and the host get each chunk as it came. The receive thread holds no lock of the
// player, so the host's callback may stop it.
TEST_F(Stream, MediaReachesDecoderAndHostWhoseCallbackMayStopThePlayer)
{
    int id = Create(1);
    std::atomic<int> stopResult{1};
    log.Set(&HostLog::onMedia, [&](int player) { stopResult = StreamClient_Stop(player); });
    ASSERT_EQ(1, Open(id));
    media.SendTo(10000, std::string(5108, 'c'));
    ASSERT_TRUE(WaitUntil([&] { return stopResult != 1; }));
    EXPECT_EQ(0, stopResult);
    EXPECT_EQ("media(" + std::to_string(id) + ",4660,5108)", log.Events().back()) << "with the user value 0x1234";
    EXPECT_EQ(Lines{"Lumo_InputData(0,5108)"}, CFakeLumodec::CallsOf("Lumo_InputData"));
    EXPECT_EQ(-1, StreamClient_Play(id));
}

// A window given late reaches the player, the transport and the decoder, which opens the
// stream with the SETUP's header in the mode of the URL.
TEST_F(Stream, TcpRecordedStreamGetsItsWindowLate)
{
    CLoopbackSocket mediaListener(SOCK_STREAM);
    mediaListener.Listen(1);
    int id = Create(0, nullptr);
    ASSERT_EQ(1, Open(id, "/record/1.mp4", mediaListener.Port()));
    EXPECT_EQ("SETUP " + Url("/record/1.mp4") +
                  " RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/TCP;unicast;client_port=10000-10001\r\nUser-agent: "
                  "Varoplayer\r\n\r\n",
              server.Requests().at(0));
    ASSERT_EQ(1, StreamClient_Play(id));
    EXPECT_TRUE(CFakeLumodec::Calls().empty()) << "no window: nothing is decoded";
    int values[4];
    EXPECT_EQ(-1, StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]))
        << "picture parameters belong to the live stream";

    EXPECT_EQ(0, StreamClient_ResetWndHandle(id, kWindow));
    EXPECT_EQ((Lines{"Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,1)", "Lumo_OpenStream(0,40,1310720)",
                     "Lumo_ResetSourceBuffer(0)", "Lumo_Play(0,80)"}),
              CFakeLumodec::Calls());
    SOCKET connection = mediaListener.AcceptOne();
    ASSERT_NE(0, connection);
    SendSocket(connection, "chunk", 5);
    EXPECT_TRUE(WaitUntil([] { return CFakeLumodec::CallsOf("Lumo_InputData") == Lines{"Lumo_InputData(0,5)"}; }));
    CFakeLumodec::Refuse("Lumo_SetDisplayCallBack"); // a snapshot that ends at once
    EXPECT_EQ(-1, StreamClient_GrabPic(id, "/tmp/shot", 0));
    EXPECT_EQ(Lines{"Lumo_SetDisplayCallBack(0,callback)"}, CFakeLumodec::CallsOf("Lumo_SetDisplayCallBack"))
        << "the player took the window";

    closesocket(connection); // the server ends the media: the stream goes on until stopped
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
        {"stream header over 40 bytes", Url(), {FakeReply::Text(SetupReply(media.Port(), std::string(41, 'h')))}, 1,
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
    EXPECT_EQ(1, Open(id));
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
    ASSERT_EQ(1, Open(id));
    EXPECT_EQ(-1, results[0]);
    EXPECT_EQ(-1, results[1]);
    EXPECT_EQ(0, results[2]) << "another player is fair game";
    EXPECT_EQ(1, StreamClient_Play(id)) << "the player survived";
}

TEST_F(Stream, ServerClosingTheControlConnectionFailsRequestsUntilStop)
{
    int id = Create(1);
    ASSERT_EQ(1, Open(id));
    server.Script({FakeReply{{ReplyText("200 OK", 2, {})}, 0, true}}); // PLAY's reply, then the close
    ASSERT_EQ(1, StreamClient_Play(id));
    CDebugCapture capture;
    EXPECT_EQ(-1, StreamClient_Pause(id));
    EXPECT_EQ(0, StreamClient_Stop(id));
    EXPECT_EQ(-1, StreamClient_Play(id));
}

// Takes about 25 s: six keep-alives 4 s apart.
TEST_F(Stream, KeepAlivesEveryFourSecondsAndTheLossOfTheServer)
{
    server.SetKeepAliveReply(FakeReply::Text(ReplyText("454 Session Not Found", 0, {})));
    int id = Create(1, nullptr);
    ASSERT_EQ(1, Open(id));
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

// A keep-alive pass that falls due while Stop's TEARDOWN holds the lock gives up once it gets the
// lock: no request after TEARDOWN, and no loss reported after Stop returned, when the host may
// free its notification object. Five keep-alives are unanswered, so the sixth would report.
TEST_F(Stream, NoKeepAliveNorLossReportFollowsStop)
{
    CLibraryWaits::Set(CLibraryWaits::KeepAliveInterval, 400);
    server.SetKeepAliveReply(FakeReply::Text(ReplyText("454 Session Not Found", 0, {})));
    int id = Create(1, nullptr);
    ASSERT_EQ(1, Open(id));
    log.Reset();
    ASSERT_TRUE(server.WaitForKeepAlives(5, 5000));
    server.Script({FakeReply{{ReplyText("200 OK", 0, {})}, 700, false}});
    EXPECT_EQ(0, StreamClient_Stop(id));
    Sleep(600);
    EXPECT_EQ(5u, server.KeepAlives().size());
    EXPECT_TRUE(log.Events().empty());
}
