// The library, our decoder stand-in and the server simulator together, over real loopback
// sockets: frames decoded and written as snapshot files, seek and scale seen in the played time,
// picture parameters round-tripped.
#include "SimServer.h"
#include "fakes/LibraryStart.h"
#include "fakes/WaitUntil.h"
#include "streamclient.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

HWND const kWindow = reinterpret_cast<HWND>(1);

// A player needs a message callback to be created.
void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class Simulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, InitStreamClientLib());
        ServerOptions options;
        options.port = 0;
        server.reset(new CSimServer(options));
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
    }

    void TearDown() override
    {
        ReturnLibraryToStart();
        Sleep(300);
        if (server)
            server->Stop();
    }

    int Open(const std::string& path, int udp)
    {
        int id = StreamClient_CreatePlayer(nullptr, kWindow, nullptr, IgnoreMessage, udp);
        std::string url = "rtsp://127.0.0.1:" + std::to_string(server->Port()) + path;
        EXPECT_EQ(1, StreamClient_OpenURL(id, url.c_str(), nullptr)) << url;
        EXPECT_EQ(1, StreamClient_Play(id)) << url;
        return id;
    }

    unsigned PlayedSeconds(int id)
    {
        unsigned seconds = 0;
        StreamClient_GetCurTime(id, &seconds);
        return seconds;
    }

    std::unique_ptr<CSimServer> server;
};

} // namespace

TEST_F(Simulator, LiveStreamOverUdpIsDecodedIntoSnapshotFiles)
{
    int id = Open("/live/av_stream", 1);
    const std::string bmp = testing::TempDir() + "live.bmp";
    const std::string jpeg = testing::TempDir() + "live.jpg";
    std::remove(bmp.c_str());
    std::remove(jpeg.c_str());
    ASSERT_EQ(0, StreamClient_GrabPic(id, bmp.c_str(), 0));
    ASSERT_EQ(0, StreamClient_GrabPic(id, jpeg.c_str(), 1));

    // The files' own layout is the stand-in's tests'; here, that a decoded picture of the
    // stream's size reached each.
    EXPECT_EQ(54u + 640 * 3 * 360, ReadFile(bmp).size());
    std::vector<unsigned char> jpegFile = ReadFile(jpeg);
    EXPECT_EQ((std::vector<unsigned char>{0xff, 0xd8}),
              std::vector<unsigned char>(jpegFile.begin(), jpegFile.begin() + std::min<size_t>(2, jpegFile.size())));

    int values[4] = {};
    ASSERT_EQ(0, StreamClient_SetVideoParams(id, 200, 60, 30, 140));
    ASSERT_EQ(0, StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]));
    EXPECT_EQ((std::vector<int>{200, 60, 30, 140}), std::vector<int>(values, values + 4));
}

TEST_F(Simulator, RecordingOverTcpFollowsSeekAndScale)
{
    int id = Open("/record/1.mp4", 0);
    ASSERT_TRUE(WaitUntil([&] { return PlayedSeconds(id) >= 1; }, 15000)) << "frames are shown";
    ASSERT_EQ(1, StreamClient_RandomPlay(id, 60));
    ASSERT_TRUE(WaitUntil([&] { return PlayedSeconds(id) >= 60; }, 15000)) << "played time follows the seek";
    EXPECT_LT(PlayedSeconds(id), 65u);

    // Compared with normal speed in the same run, not with a fixed figure: timing varies here.
    unsigned before = PlayedSeconds(id);
    Sleep(1500);
    unsigned normal = PlayedSeconds(id) - before;
    ASSERT_EQ(0, StreamClient_ChangeRate(id, 4));
    before = PlayedSeconds(id);
    Sleep(1500);
    unsigned faster = PlayedSeconds(id) - before;
    EXPECT_GT(faster, normal) << "the rate change shows in the played time";
}
