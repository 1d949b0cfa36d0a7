#include "SimulatorFixture.h"

#include "fakes/LibraryStart.h"
#include "platform/platform.h"

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
    std::string detail;
    CTestSimulator::Outcome outcome = simulator.Start(detail);
    if (outcome == CTestSimulator::Outcome::Absent)
        GTEST_SKIP() << detail;
    ASSERT_EQ(outcome, CTestSimulator::Outcome::Started) << detail;
}

void SimulatorFixture::TearDown()
{
    ReturnLibraryToStart();
    Sleep(300);
    simulator.Stop();
}

int SimulatorFixture::Open(const std::string& path, int udp, HWND window)
{
    int id = StreamClient_CreatePlayer(nullptr, window, nullptr, IgnoreMessage, udp);
    std::string url = simulator.Address() + path;
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
