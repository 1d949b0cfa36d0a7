// The library, our decoder stand-in and the server simulator together, over real loopback
// sockets: frames decoded and written as snapshot files, seek and scale seen in the played time,
// picture parameters round-tripped.
#include "SimServer.h"
#include "fakes/LibraryStart.h"
#include "fakes/WaitUntil.h"
#include "streamclient.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <gtest/gtest.h>
#include <jpeglib.h>
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

uint32_t Little(const std::vector<unsigned char>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes.at(at + i);
    return value;
}

// Width and height of a JPEG file as libjpeg reads them; 0 x 0 when it is not one.
std::pair<unsigned, unsigned> JpegSize(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadFile(path);
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return {0, 0};
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    std::pair<unsigned, unsigned> size{info.image_width, info.image_height};
    jpeg_destroy_decompress(&info);
    return size;
}

class Simulator : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, InitStreamClientLib()); }

    void TearDown() override
    {
        ReturnLibraryToStart();
        Sleep(300);
        if (server)
            server->Stop();
    }

    void StartServer(const ServerOptions& options = ServerOptions())
    {
        ServerOptions chosen = options;
        chosen.port = 0;
        server.reset(new CSimServer(chosen));
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
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
    StartServer();
    int id = Open("/live/av_stream", 1);
    const std::string bmp = testing::TempDir() + "live.bmp";
    const std::string jpeg = testing::TempDir() + "live.jpg";
    std::remove(bmp.c_str());
    std::remove(jpeg.c_str());
    ASSERT_EQ(0, StreamClient_GrabPic(id, bmp.c_str(), 0));
    ASSERT_EQ(0, StreamClient_GrabPic(id, jpeg.c_str(), 1));

    std::vector<unsigned char> file = ReadFile(bmp);
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(file.size(), Little(file, 2, 4)) << "file size field";
    EXPECT_EQ(54u, Little(file, 10, 4)) << "pixel data offset";
    EXPECT_EQ(640u, Little(file, 18, 4));
    EXPECT_EQ(360u, Little(file, 22, 4));
    EXPECT_EQ(24u, Little(file, 28, 2)) << "bits per pixel";
    EXPECT_EQ(54u + 640 * 3 * 360, file.size());
    EXPECT_EQ((std::pair<unsigned, unsigned>{640, 360}), JpegSize(jpeg));

    int values[4] = {};
    ASSERT_EQ(0, StreamClient_SetVideoParams(id, 200, 60, 30, 140));
    ASSERT_EQ(0, StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]));
    EXPECT_EQ((std::vector<int>{200, 60, 30, 140}), std::vector<int>(values, values + 4));
}

TEST_F(Simulator, RecordingOverTcpFollowsSeekAndScale)
{
    StartServer();
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
