// The exported interface as a host sees it, under both prefixes. Each test runs in a process of
// its own (one CTest test per case), so "before InitStreamClientLib" is a real state here.
#include "api/StreamClientLib.h"
#include "fakes/DebugCapture.h"
#include "fakes/FakeLumodec.h"
#include "fakes/LibraryStart.h"
#include "streamclient.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

struct Twin {
    const char* name;
    std::function<int(int)> streamClient;
    std::function<int(int)> varos;
    int idle; // what it gives on a player that has opened nothing: -1, or 0 (false)
};

int values[4];
unsigned playedTime;
unsigned char headerBuffer[64];
const int area[4] = {10, 20, 110, 220};
int playPort = 1234;
const char kUrl[] = "rtsp://127.0.0.1:1/live/av_stream";

// What stands in for an argument type, so that the arguments need not match it exactly.
template <typename T>
struct ArgumentOf {
    using Type = T;
};

// An export that takes a player id under both prefixes, called with the same arguments.
template <typename Result, typename... Args>
Twin Both(const char* name, Result(STREAMCLIENT_CALL* streamClient)(int, Args...),
          Result(STREAMCLIENT_CALL* varos)(int, Args...), int idle, typename ArgumentOf<Args>::Type... args)
{
    return {name, [=](int id) { return int(streamClient(id, args...)); },
            [=](int id) { return int(varos(id, args...)); }, idle};
}

// Every export that takes a player id.
std::vector<Twin> Twins()
{
    return {
        Both("OpenURL", StreamClient_OpenURL, VAROS_OpenURL, -1, kUrl, nullptr),
        Both("Play", StreamClient_Play, VAROS_Play, -1),
        Both("RandomPlay", StreamClient_RandomPlay, VAROS_RandomPlay, -1, 5),
        Both("Pause", StreamClient_Pause, VAROS_Pause, -1),
        Both("Resume", StreamClient_Resume, VAROS_Resume, -1),
        Both("Stop", StreamClient_Stop, VAROS_Stop, -1),
        Both("ChangeRate", StreamClient_ChangeRate, VAROS_ChangeRate, -1, 2),
        Both("Destroy", StreamClient_Destroy, VAROS_Destroy, 0),
        Both("GetVideoParams", StreamClient_GetVideoParams, VAROS_GetVideoParams, -1, &values[0], &values[1],
             &values[2], &values[3]),
        Both("SetVideoParams", StreamClient_SetVideoParams, VAROS_SetVideoParams, -1, 1, 2, 3, 4),
        Both("PTZControl", StreamClient_PTZControl, VAROS_PTZControl, -1, 1, 2, 3, 4, 5),
        Both("GetCurTime", StreamClient_GetCurTime, VAROS_GetCurTime, -1, &playedTime),
        Both("SetVolume", StreamClient_SetVolume, VAROS_SetVolume, -1, 50),
        Both("OpenSound", StreamClient_OpenSound, VAROS_OpenSound, -1, 1),
        Both("CloseSound", StreamClient_CloseSound, VAROS_CloseSound, -1),
        Both("ThrowBFrameNum", StreamClient_ThrowBFrameNum, VAROS_ThrowBFrameNum, -1, 2),
        Both("GrabPic", StreamClient_GrabPic, VAROS_GrabPic, -1, "/tmp/x.bmp", 0),
        Both("ResetWndHandle", StreamClient_ResetWndHandle, VAROS_ResetWndHandle, -1, nullptr),
        Both("ResetDataCallBack", StreamClient_ResetDataCallBack, VAROS_ResetDataCallBack, -1, nullptr),
        Both("GetHeader", StreamClient_GetHeader, VAROS_GetHeader, -1, headerBuffer, sizeof headerBuffer),
        Both("RefreshPlay", StreamClient_RefreshPlay, VAROS_RefreshPlay, -1),
        Both("PTZSelZoomIn", StreamClient_PTZSelZoomIn, VAROS_PTZSelZoomIn, 0, area),
        Both("GetPlayPort", StreamClient_GetPlayPort, VAROS_GetPlayPort, 0, &playPort),
        Both("SetDDrawDevice", StreamClient_SetDDrawDevice, VAROS_SetDDrawDevice, 0, 1),
        Both("InitDDrawDevice", StreamClient_InitDDrawDevice, VAROS_InitDDrawDevice, 0),
        {"ReleaseDDrawDevice", [](int id) { StreamClient_ReleaseDDrawDevice(id); return 0; },
         [](int id) { VAROS_ReleaseDDrawDevice(id); return 0; }, 0},
    };
}

int CreatePlayer()
{
    return StreamClient_CreatePlayer(nullptr, nullptr, nullptr, IgnoreMessage, 1);
}

struct MessageCase {
    std::function<int()> call;
    Lines lines;
};

// Each call is refused with -1 and writes exactly these lines.
void ExpectRefusedWithLines(const std::vector<MessageCase>& cases)
{
    for (const auto& c : cases) {
        CDebugCapture capture;
        EXPECT_EQ(-1, c.call());
        EXPECT_EQ(c.lines, capture.Lines());
    }
}

class ExportsBeforeInit : public ::testing::Test {
protected:
    void SetUp() override
    {
        CFakeLumodec::Reset();
        ASSERT_FALSE(CStreamClientLib::Instance().IsInitialised()) << "run each case in a process of its own (ctest)";
    }
};

class Exports : public ::testing::Test {
protected:
    void SetUp() override
    {
        CFakeLumodec::Reset();
        ASSERT_EQ(0, InitStreamClientLib());
    }
    void TearDown() override { ReturnLibraryToStart(); }
};

} // namespace

TEST_F(ExportsBeforeInit, MessagesNameTheFailedStep)
{
    ExpectRefusedWithLines({
        {[] { return StreamClient_OpenURL(0, kUrl, nullptr); }, {"zrk--------client StreamClient_OpenURL failed 1\n"}},
        {[] { return StreamClient_Play(0); }, {"zrk--------client StreamClient_Play failed 1\n"}},
        {[] { return CreatePlayer(); }, {"zrk--------client StreamClient_CreatePlayer failed 2\n"}},
        {[] { return StreamClient_CreatePlayer(nullptr, nullptr, nullptr, nullptr, 1); },
         {"zrk--------client StreamClient_CreatePlayer failed 1\n"}},
    });
}

TEST_F(Exports, InitialisingTwiceChangesNothing)
{
    int first = CreatePlayer();
    EXPECT_EQ(0, InitStreamClientLib());
    EXPECT_EQ(first + 1, VAROS_CreatePlayer(nullptr, nullptr, nullptr, IgnoreMessage, 0))
        << "the free-id queue must not be refilled";
}

// Both prefixes give the same result and write the same lines.
TEST_F(Exports, IdlePlayerRefusesEverythingButDestroy)
{
    for (const Twin& twin : Twins()) {
        int first = CreatePlayer(), second = CreatePlayer();
        CDebugCapture capture;
        int streamClient = twin.streamClient(first);
        Lines lines = capture.Lines();
        capture.Clear();
        EXPECT_EQ(twin.idle, streamClient) << twin.name;
        EXPECT_EQ(streamClient, twin.varos(second)) << twin.name;
        EXPECT_EQ(lines, capture.Lines()) << twin.name;
    }
}

TEST_F(Exports, MessagesNameTheFailedStep)
{
    int id = CreatePlayer();
    ExpectRefusedWithLines({
        {[] { return StreamClient_OpenURL(100, kUrl, nullptr); }, {"zrk--------client StreamClient_OpenURL failed 2\n"}},
        {[] { return StreamClient_Play(-1); }, {"zrk--------client StreamClient_Play failed 2\n"}},
        {[] { return StreamClient_OpenURL(99, kUrl, nullptr); },
         {"zrk--------client StreamClient_OpenURL failed 3\n", "zrk--------client StreamClient_OpenURL failed 4\n"}},
        {[] { return StreamClient_Play(99); }, {"zrk--------client StreamClient_Play failed 3\n"}},
        {[id] { return StreamClient_Play(id); }, {"zrk--------client CVaroPlayer Begin failed 1\n"}},
        {[id] { return StreamClient_OpenURL(id, "http://127.0.0.1/x", nullptr); },
         {"zrk--------client StreamClient_OpenURL failed 4\n"}},
        {[id] { return StreamClient_Pause(id); }, {}},
    });
}

TEST_F(Exports, ArgumentsAreCheckedBeforeAnythingIsTouched)
{
    int id = CreatePlayer();
    int port = 77;
    EXPECT_EQ(-1, StreamClient_GetCurTime(id, nullptr));
    EXPECT_EQ(-1, StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], nullptr));
    EXPECT_EQ(-1, StreamClient_GetHeader(id, nullptr, 10));
    EXPECT_EQ(-1, StreamClient_GrabPic(id, nullptr, 0));
    EXPECT_FALSE(StreamClient_PTZSelZoomIn(id, nullptr));
    EXPECT_FALSE(StreamClient_GetPlayPort(id, nullptr));
    EXPECT_FALSE(StreamClient_GetPlayPort(id, &port));
    EXPECT_EQ(77, port) << "a port that is not there is not written";
    for (int bad : {-1, 256}) {
        EXPECT_EQ(-1, StreamClient_SetVideoParams(id, bad, 0, 0, 0));
        EXPECT_EQ(-1, StreamClient_SetVideoParams(id, 0, 0, 0, bad));
    }
    EXPECT_TRUE(CFakeLumodec::Calls().empty());
}

// Stop and Destroy free the id even of a player that opened nothing (Play fails here).
TEST_F(Exports, ConcurrentHostsCreateAndDestroyWithoutLosingIds)
{
    std::vector<std::thread> hosts;
    for (int h = 0; h < 4; ++h) {
        hosts.emplace_back([] {
            for (int i = 0; i < 300; ++i) {
                int id = CreatePlayer();
                ASSERT_GE(id, 0);
                StreamClient_Play(id);
                ASSERT_EQ(0, i % 2 ? StreamClient_Destroy(id) : StreamClient_Stop(id) + 1);
            }
        });
    }
    for (auto& host : hosts)
        host.join();
    for (int id = 0; id < 100; ++id)
        EXPECT_GE(CreatePlayer(), 0);
    EXPECT_EQ(-1, CreatePlayer());
}

// A host may call on an id it never got (a stale or guessed one) while another thread is
// being handed that very id: the player must be whole before any other call can reach it.
TEST_F(Exports, CreationRacingDestroyOnTheSameIds)
{
    std::atomic<bool> creating{true};
    std::thread careless([&] {
        while (creating)
            for (int id = 0; id < 100; ++id)
                StreamClient_Destroy(id);
    });
    // Also until destroyed ids have come back, however late the other thread gets going.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int created = 0;
    for (int i = 0; i < 10000 || (created <= 100 && std::chrono::steady_clock::now() < deadline); ++i)
        created += CreatePlayer() >= 0;
    creating = false;
    careless.join();
    EXPECT_GT(created, 100) << "destroyed ids came back";
}
