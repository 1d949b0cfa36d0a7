// The exported interface as a host sees it, under both prefixes. Each test runs in a process of
// its own (one CTest test per case), so "before InitStreamClientLib" is a real state here.
#include "rtsp/HostCallbackScope.h"
#include "api/PlayedTime.h"
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
    int refused; // what a refused call gives: -1, or 0 (false) for the boolean and void ones
    int idle;    // what it gives on a player that has opened nothing
};

int values[4];
unsigned playedTime;
unsigned char headerBuffer[64];
const int area[4] = {10, 20, 110, 220};
int playPort = 1234;
const char kUrl[] = "rtsp://127.0.0.1:1/live/av_stream";

// Every export that takes a player id, called the same way under both prefixes.
std::vector<Twin> Twins()
{
    return {
        {"OpenURL", [](int id) { return StreamClient_OpenURL(id, kUrl, nullptr); },
         [](int id) { return VAROS_OpenURL(id, kUrl, nullptr); }, -1, -1},
        {"Play", StreamClient_Play, VAROS_Play, -1, -1},
        {"RandomPlay", [](int id) { return StreamClient_RandomPlay(id, 5); },
         [](int id) { return VAROS_RandomPlay(id, 5); }, -1, -1},
        {"Pause", StreamClient_Pause, VAROS_Pause, -1, -1},
        {"Resume", StreamClient_Resume, VAROS_Resume, -1, -1},
        {"Stop", StreamClient_Stop, VAROS_Stop, -1, -1},
        {"ChangeRate", [](int id) { return StreamClient_ChangeRate(id, 2); },
         [](int id) { return VAROS_ChangeRate(id, 2); }, -1, -1},
        {"Destroy", StreamClient_Destroy, VAROS_Destroy, -1, 0},
        {"GetVideoParams", [](int id) { return StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]); },
         [](int id) { return VAROS_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]); }, -1, -1},
        {"SetVideoParams", [](int id) { return StreamClient_SetVideoParams(id, 1, 2, 3, 4); },
         [](int id) { return VAROS_SetVideoParams(id, 1, 2, 3, 4); }, -1, -1},
        {"PTZControl", [](int id) { return StreamClient_PTZControl(id, 1, 2, 3, 4, 5); },
         [](int id) { return VAROS_PTZControl(id, 1, 2, 3, 4, 5); }, -1, -1},
        {"GetCurTime", [](int id) { return StreamClient_GetCurTime(id, &playedTime); },
         [](int id) { return VAROS_GetCurTime(id, &playedTime); }, -1, -1},
        {"SetVolume", [](int id) { return StreamClient_SetVolume(id, 50); },
         [](int id) { return VAROS_SetVolume(id, 50); }, -1, -1},
        {"OpenSound", [](int id) { return StreamClient_OpenSound(id, 1); },
         [](int id) { return VAROS_OpenSound(id, 1); }, -1, -1},
        {"CloseSound", StreamClient_CloseSound, VAROS_CloseSound, -1, -1},
        {"ThrowBFrameNum", [](int id) { return StreamClient_ThrowBFrameNum(id, 2); },
         [](int id) { return VAROS_ThrowBFrameNum(id, 2); }, -1, -1},
        {"GrabPic", [](int id) { return StreamClient_GrabPic(id, "/tmp/x.bmp", 0); },
         [](int id) { return VAROS_GrabPic(id, "/tmp/x.bmp", 0); }, -1, -1},
        {"ResetWndHandle", [](int id) { return StreamClient_ResetWndHandle(id, nullptr); },
         [](int id) { return VAROS_ResetWndHandle(id, nullptr); }, -1, -1},
        {"ResetDataCallBack", [](int id) { return StreamClient_ResetDataCallBack(id, nullptr); },
         [](int id) { return VAROS_ResetDataCallBack(id, nullptr); }, -1, -1},
        {"GetHeader", [](int id) { return StreamClient_GetHeader(id, headerBuffer, sizeof headerBuffer); },
         [](int id) { return VAROS_GetHeader(id, headerBuffer, sizeof headerBuffer); }, -1, -1},
        {"RefreshPlay", StreamClient_RefreshPlay, VAROS_RefreshPlay, -1, -1},
        {"PTZSelZoomIn", [](int id) { return int(StreamClient_PTZSelZoomIn(id, area)); },
         [](int id) { return int(VAROS_PTZSelZoomIn(id, area)); }, 0, 0},
        {"GetPlayPort", [](int id) { return int(StreamClient_GetPlayPort(id, &playPort)); },
         [](int id) { return int(VAROS_GetPlayPort(id, &playPort)); }, 0, 0},
        {"SetDDrawDevice", [](int id) { return int(StreamClient_SetDDrawDevice(id, 1)); },
         [](int id) { return int(VAROS_SetDDrawDevice(id, 1)); }, 0, 0},
        {"InitDDrawDevice", [](int id) { return int(StreamClient_InitDDrawDevice(id)); },
         [](int id) { return int(VAROS_InitDDrawDevice(id)); }, 0, 0},
        {"ReleaseDDrawDevice", [](int id) { StreamClient_ReleaseDDrawDevice(id); return 0; },
         [](int id) { VAROS_ReleaseDDrawDevice(id); return 0; }, 0, 0},
    };
}

struct Outcome {
    int result;
    Lines lines;
    bool operator==(const Outcome& o) const { return result == o.result && lines == o.lines; }
};

Outcome Run(const std::function<int(int)>& call, int id)
{
    CDebugCapture capture;
    int result = call(id);
    return {result, capture.Lines()};
}

int CreatePlayer()
{
    return StreamClient_CreatePlayer(nullptr, nullptr, nullptr, IgnoreMessage, 1);
}

// Both prefixes give the same result and write the same lines, in a given situation.
void ExpectTwinsAgree(const std::function<int()>& prepareId, int Twin::*expected)
{
    for (const Twin& twin : Twins()) {
        int id = prepareId();
        Outcome streamClient = Run(twin.streamClient, id);
        id = prepareId();
        Outcome varos = Run(twin.varos, id);
        EXPECT_EQ(twin.*expected, streamClient.result) << twin.name;
        EXPECT_TRUE(streamClient == varos) << twin.name;
    }
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

TEST_F(ExportsBeforeInit, EveryExportRefuses)
{
    ExpectTwinsAgree([] { return 0; }, &Twin::refused);
    EXPECT_EQ(-1, StreamClient_SetVideoParams(0, 0, 0, 0, 256));
    EXPECT_EQ(0, FiniStreamClientLib());
}

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
    EXPECT_EQ(first + 1, CreatePlayer()) << "the free-id queue must not be refilled";
}

TEST_F(Exports, IdsOutOfRangeAndWithoutPlayerAreRefusedAlike)
{
    ExpectTwinsAgree([] { return -1; }, &Twin::refused);
    ExpectTwinsAgree([] { return 100; }, &Twin::refused);
    ExpectTwinsAgree([] { return 42; }, &Twin::refused);
}

TEST_F(Exports, IdlePlayerRefusesEverythingButDestroy)
{
    ExpectTwinsAgree(CreatePlayer, &Twin::idle);
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

TEST_F(Exports, BadUrlsAreRefused)
{
    int id = CreatePlayer();
    const std::string longPath = "rtsp://127.0.0.1/" + std::string(1023, 'a'); // path of 1024 characters
    const char* urls[] = {nullptr, "", "127.0.0.1/x", "http://127.0.0.1/x", "file://127.0.0.1/x",
                          "RTSP://127.0.0.1/x", "Rtsp://127.0.0.1/x", longPath.c_str()};
    for (const char* url : urls) {
        EXPECT_EQ(-1, StreamClient_OpenURL(id, url, nullptr)) << (url ? url : "(null)");
        EXPECT_EQ(-1, StreamClient_Stop(id)) << "no source may be left behind";
        id = CreatePlayer();
    }
}

TEST_F(Exports, StopAndDestroyFreeTheIdEvenOnAnIdlePlayer)
{
    int stopped = CreatePlayer();
    EXPECT_EQ(-1, StreamClient_Stop(stopped));
    CDebugCapture capture;
    EXPECT_EQ(-1, StreamClient_Play(stopped));
    EXPECT_EQ(Lines{"zrk--------client StreamClient_Play failed 3\n"}, capture.Lines());

    int destroyed = CreatePlayer();
    EXPECT_EQ(0, StreamClient_Destroy(destroyed));
    EXPECT_EQ(-1, StreamClient_Destroy(destroyed));
}

TEST_F(Exports, CreationStopsAtOneHundredAndReusesIdsFirstInFirstOut)
{
    for (int id = 0; id < 100; ++id)
        ASSERT_EQ(id, CreatePlayer());
    CDebugCapture capture;
    EXPECT_EQ(-1, CreatePlayer());
    EXPECT_EQ(Lines{"zrk--------client StreamClient_CreatePlayer failed 2\n"}, capture.Lines());
    StreamClient_Destroy(5);
    VAROS_Stop(2);
    EXPECT_EQ(5, VAROS_CreatePlayer(nullptr, nullptr, nullptr, IgnoreMessage, 0));
    EXPECT_EQ(2, CreatePlayer());
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

TEST_F(Exports, CallsFromInsideThePlayersOwnCallbackAreRefused)
{
    int inside = CreatePlayer();
    int other = CreatePlayer();
    CHostCallbackScope scope(inside);
    CDebugCapture capture;
    EXPECT_EQ(-1, StreamClient_Destroy(inside));
    EXPECT_EQ(-1, StreamClient_Play(inside));
    EXPECT_TRUE(capture.Lines().empty()) << "refused before reaching the player";
    EXPECT_EQ(-1, StreamClient_Play(other));
    EXPECT_EQ(Lines{"zrk--------client CVaroPlayer Begin failed 1\n"}, capture.Lines());
    {
        CHostCallbackScope nested(other);
        EXPECT_EQ(-1, StreamClient_Destroy(inside)) << "still inside the outer callback";
    }
    EXPECT_EQ(0, StreamClient_Destroy(other));
}

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

TEST(PlayedTime, SixtyFourMillisecondUnitsBecomeWholeSecondsWrappingAt32Bits)
{
    const struct {
        uint32_t units, seconds;
    } cases[] = {{0, 0}, {15, 0}, {16, 1}, {1000, 64}, {1u << 26, 0}, {(1u << 26) + 16, 1}, {0xFFFFFFFFu, 4294967}};
    for (const auto& c : cases)
        EXPECT_EQ(c.seconds, PlayedUnitsToSeconds(c.units)) << c.units;
}
