#include "SimulatorFixture.h"

#include "fakes/LibraryStart.h"

#include <cstdio>
#include <fstream>

namespace {
// A player needs a message callback to be created.
void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}
} // namespace

HWND const SimulatorFixture::kAnyWindow = reinterpret_cast<HWND>(1);

void SimulatorFixture::SetUp()
{
    ASSERT_EQ(0, InitStreamClientLib());
    ServerOptions options;
    options.port = 0;
    server.reset(new CSimServer(options));
    std::string error;
    ASSERT_TRUE(server->Start(error)) << error;
}

void SimulatorFixture::TearDown()
{
    ReturnLibraryToStart();
    Sleep(300);
    if (server)
        server->Stop();
}

int SimulatorFixture::Open(const std::string& path, int udp, HWND window)
{
    int id = StreamClient_CreatePlayer(nullptr, window, nullptr, IgnoreMessage, udp);
    std::string url = "rtsp://127.0.0.1:" + std::to_string(server->Port()) + path;
    EXPECT_EQ(1, StreamClient_OpenURL(id, url.c_str(), nullptr)) << url;
    EXPECT_EQ(1, StreamClient_Play(id)) << url;
    return id;
}

unsigned SimulatorFixture::PlayedSeconds(int id)
{
    unsigned seconds = 0;
    StreamClient_GetCurTime(id, &seconds);
    return seconds;
}

std::vector<unsigned char> SimulatorFixture::Snapshot(int id, const std::string& name, int format)
{
    const std::string path = testing::TempDir() + name;
    std::remove(path.c_str());
    EXPECT_EQ(0, StreamClient_GrabPic(id, path.c_str(), format));
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
