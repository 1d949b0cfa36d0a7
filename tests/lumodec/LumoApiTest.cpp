#include "TestCaseName.h"
#include "TestPort.h"
#include "TestStream.h"
#include "fakes/WaitUntil.h"
#include "player/lumodec.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// 10 ms of stream time between frames, so that a whole video plays in about a second.
const uint32_t kTicksPerFrame = 900;

TEST(LumoPorts, LowestFreePortIsHandedOutAgain)
{
    int first = -1;
    int second = -1;
    ASSERT_NE(Lumo_GetPort(&first), 0);
    ASSERT_NE(Lumo_GetPort(&second), 0);
    EXPECT_NE(first, second);
    EXPECT_NE(Lumo_FreePort(first), 0);
    EXPECT_EQ(Lumo_FreePort(first), 0);
    int again = -1;
    ASSERT_NE(Lumo_GetPort(&again), 0);
    EXPECT_EQ(again, first);
    Lumo_FreePort(again);
    Lumo_FreePort(second);
    EXPECT_EQ(Lumo_GetPort(nullptr), 0);
}

struct PortCall {
    std::string name;
    std::function<int(int)> call;
};

const unsigned char kByte = 0;

const PortCall kPortCalls[] = {
    {"SetStreamOpenMode", [](int port) { return Lumo_SetStreamOpenMode(port, LUMO_STREAM_FILE); }},
    {"InputData", [](int port) { return Lumo_InputData(port, &kByte, 1); }},
    {"Play", [](int port) { return Lumo_Play(port, nullptr); }},
    {"Stop", [](int port) { return Lumo_Stop(port); }},
    {"ResetSourceBuffer", [](int port) { return Lumo_ResetSourceBuffer(port); }},
    {"Fast", [](int port) { return Lumo_Fast(port); }},
    {"Slow", [](int port) { return Lumo_Slow(port); }},
    {"CloseStream", [](int port) { return Lumo_CloseStream(port); }},
    {"SetVolume", [](int port) { return Lumo_SetVolume(port, 50); }},
    {"PlaySound", [](int port) { return Lumo_PlaySound(port); }},
    {"RefreshPlay", [](int port) { return Lumo_RefreshPlay(port); }},
    {"ThrowBFrameNum", [](int port) { return Lumo_ThrowBFrameNum(port, 1); }},
    {"SetDDrawDevice", [](int port) { return Lumo_SetDDrawDevice(port, 1); }},
    {"SetDisplayCallBack", [](int port) { return Lumo_SetDisplayCallBack(port, nullptr); }},
};

class PortCallTest : public ::testing::TestWithParam<PortCall> {};

TEST_P(PortCallTest, SucceedsOnAnOpenStreamOnly)
{
    CTestPort open;
    ASSERT_TRUE(open.IsOpen());
    EXPECT_NE(GetParam().call(open.Port()), 0);
    EXPECT_EQ(GetParam().call(-1), 0);
    EXPECT_EQ(GetParam().call(open.Port() + 1), 0);
}

INSTANTIATE_TEST_SUITE_P(LumoPorts, PortCallTest, ::testing::ValuesIn(kPortCalls), CaseName<PortCall>);

Bytes GoodHeader()
{
    return CTestPort::Header(LumoStreamHeader::kPackagingDatagrams);
}

Bytes HeaderWith(const std::function<void(LumoStreamHeader&)>& change)
{
    LumoStreamHeader header;
    header.Read(GoodHeader().data(), LumoStreamHeader::kSize);
    change(header);
    Bytes bytes(LumoStreamHeader::kSize);
    header.Write(bytes.data());
    return bytes;
}

struct HeaderCase {
    std::string name;
    Bytes header;
    int length;
    int bufferSize;
};

const HeaderCase kBadHeaders[] = {
    {"wrong magic", Bytes(40, 'X'), 40, CTestPort::kSourceBufferSize},
    {"unknown version", HeaderWith([](LumoStreamHeader& h) { h.version = 2; }), 40, CTestPort::kSourceBufferSize},
    {"unknown codec", HeaderWith([](LumoStreamHeader& h) { h.codec = 2; }), 40, CTestPort::kSourceBufferSize},
    {"unknown packaging", HeaderWith([](LumoStreamHeader& h) { h.packaging = 2; }), 40, CTestPort::kSourceBufferSize},
    {"no clock rate", HeaderWith([](LumoStreamHeader& h) { h.clockRate = 0; }), 40, CTestPort::kSourceBufferSize},
    {"short", GoodHeader(), 39, CTestPort::kSourceBufferSize},
    {"no source buffer", GoodHeader(), 40, 0},
};

class BadHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BadHeaderTest, IsRefused)
{
    int port = -1;
    ASSERT_NE(Lumo_GetPort(&port), 0);
    EXPECT_EQ(Lumo_OpenStream(port, GetParam().header.data(), GetParam().length, GetParam().bufferSize), 0);
    Lumo_FreePort(port);
}

INSTANTIATE_TEST_SUITE_P(LumoStream, BadHeaderTest, ::testing::ValuesIn(kBadHeaders), CaseName<HeaderCase>);

TEST(LumoStream, OpensOncePerPortAndAgainAfterClose)
{
    CTestPort stream;
    ASSERT_TRUE(stream.IsOpen());
    Bytes header = CTestPort::Header(LumoStreamHeader::kPackagingFramed);
    EXPECT_EQ(Lumo_OpenStream(stream.Port(), header.data(), 40, CTestPort::kSourceBufferSize), 0);
    EXPECT_NE(Lumo_CloseStream(stream.Port()), 0);
    EXPECT_EQ(Lumo_Play(stream.Port(), nullptr), 0);
    EXPECT_NE(Lumo_OpenStream(stream.Port(), header.data(), 40, CTestPort::kSourceBufferSize), 0);
}

TEST(LumoStream, PauseNeedsPlay)
{
    CTestPort stream;
    int port = stream.Port();
    EXPECT_EQ(Lumo_Pause(port, 1), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
    EXPECT_NE(Lumo_Pause(port, 1), 0);
    EXPECT_NE(Lumo_Pause(port, 0), 0);
    EXPECT_NE(Lumo_Stop(port), 0);
    EXPECT_EQ(Lumo_Pause(port, 0), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
}

TEST(LumoStream, QueueHoldsToTheSourceBufferThenSaysNotNow)
{
    const int bufferSize = 10000;
    CTestPort stream(LumoStreamHeader::kPackagingDatagrams, bufferSize);
    Bytes block(1000, 0x80);
    Bytes tooLarge(bufferSize + 1, 0x80);
    EXPECT_EQ(Lumo_InputData(stream.Port(), tooLarge.data(), static_cast<int>(tooLarge.size())), 0);
    int accepted = 0;
    for (int i = 0; i < 100; ++i)
        accepted += Lumo_InputData(stream.Port(), block.data(), static_cast<int>(block.size())) ? 1 : 0;
    EXPECT_EQ(accepted, bufferSize / 1000);
    EXPECT_EQ(Lumo_InputData(stream.Port(), block.data(), 1), 0);
    EXPECT_NE(Lumo_ResetSourceBuffer(stream.Port()), 0);
    EXPECT_NE(Lumo_InputData(stream.Port(), block.data(), static_cast<int>(block.size())), 0);
}

TEST(LumoStream, RateStaysWithinFourStepsEitherWay)
{
    CTestPort stream;
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(Lumo_Fast(stream.Port()), 0);
    EXPECT_EQ(Lumo_Fast(stream.Port()), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_NE(Lumo_Slow(stream.Port()), 0);
    EXPECT_EQ(Lumo_Slow(stream.Port()), 0);
}

TEST(LumoStream, PlayedTimeAdvancesIn64MsUnitsAndHoldsWhilePaused)
{
    CTestPort stream;
    int port = stream.Port();
    CTestPacketizer packetizer(1200);
    // 100 frames 10 ms apart: 990 ms from the first to the last, 15 whole units of 64 ms.
    ASSERT_TRUE(stream.Feed(packetizer.PacketizeAll(CTestEncoder::Video(100, 25), kTicksPerFrame)));
    EXPECT_EQ(Lumo_GetPlayedTimeEx(port), 0u);
    ASSERT_NE(Lumo_Play(port, nullptr), 0);
    ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(port) >= 3; }));
    ASSERT_NE(Lumo_Pause(port, 1), 0);
    unsigned held = Lumo_GetPlayedTimeEx(port);
    Sleep(100);
    EXPECT_EQ(Lumo_GetPlayedTimeEx(port), held);
    ASSERT_NE(Lumo_Pause(port, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(port) == 15; }));
    EXPECT_NE(Lumo_Stop(port), 0);
    EXPECT_EQ(Lumo_GetPlayedTimeEx(port), 0u);
}

TEST(LumoStream, PlayedTimeAdvancesOverFramedInput)
{
    CTestPort stream(LumoStreamHeader::kPackagingFramed);
    CTestPacketizer packetizer(1200);
    Bytes framed = CTestPacketizer::Framed(packetizer.PacketizeAll(CTestEncoder::Video(20, 10), kTicksPerFrame));
    ASSERT_TRUE(stream.Feed(CTestPacketizer::Split(framed, {333})));
    ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
    // 190 ms of stream time.
    EXPECT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(stream.Port()) == 2; }));
}

} // namespace
