#include "TestPort.h"
#include "TestStream.h"
#include "fakes/WaitUntil.h"
#include "decoder/lumodec.h"

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

// Each call on a port without an open stream, or one not handed out, fails; calls that only
// need a port in use are represented by SetVolume.
TEST(LumoPorts, CallsSucceedOnAnOpenStreamOnly)
{
    const unsigned char byte = 0;
    const std::function<int(int)> calls[] = {
        [](int port) { return Lumo_SetStreamOpenMode(port, LUMO_STREAM_FILE); },
        [&](int port) { return Lumo_InputData(port, &byte, 1); },
        [](int port) { return Lumo_Play(port, nullptr); },
        [](int port) { return Lumo_Stop(port); },
        [](int port) { return Lumo_ResetSourceBuffer(port); },
        [](int port) { return Lumo_Fast(port); },
        [](int port) { return Lumo_SetVolume(port, 50); },
        [](int port) { return Lumo_SetDisplayCallBack(port, nullptr); },
        [](int port) { return Lumo_CloseStream(port); },
    };
    CTestPort open;
    ASSERT_TRUE(open.IsOpen());
    for (size_t i = 0; i < sizeof calls / sizeof calls[0]; ++i) {
        EXPECT_NE(calls[i](open.Port()), 0) << i;
        EXPECT_EQ(calls[i](-1), 0) << i;
        EXPECT_EQ(calls[i](open.Port() + 1), 0) << i;
    }
    EXPECT_NE(Lumo_SetStreamOpenMode(open.Port(), LUMO_STREAM_REALTIME), 0);
    EXPECT_EQ(Lumo_SetStreamOpenMode(open.Port(), 2), 0) << "no such mode";
}

Bytes HeaderWith(const std::function<void(LumoStreamHeader&)>& change)
{
    LumoStreamHeader header;
    Bytes bytes = CTestPort::Header(LumoStreamHeader::kPackagingDatagrams);
    header.Read(bytes.data(), LumoStreamHeader::kSize);
    change(header);
    header.Write(bytes.data());
    return bytes;
}

TEST(LumoStream, UnusableHeadersAreRefused)
{
    const int size = CTestPort::kSourceBufferSize;
    const struct {
        const char* name;
        Bytes header;
        int length;
        int bufferSize;
    } cases[] = {
        {"wrong magic", Bytes(40, 'X'), 40, size},
        {"unknown version", HeaderWith([](LumoStreamHeader& h) { h.version = 2; }), 40, size},
        {"unknown codec", HeaderWith([](LumoStreamHeader& h) { h.codec = 2; }), 40, size},
        {"unknown packaging", HeaderWith([](LumoStreamHeader& h) { h.packaging = 2; }), 40, size},
        {"no clock rate", HeaderWith([](LumoStreamHeader& h) { h.clockRate = 0; }), 40, size},
        {"short", HeaderWith([](LumoStreamHeader&) {}), 39, size},
        {"no source buffer", HeaderWith([](LumoStreamHeader&) {}), 40, 0},
    };
    int port = -1;
    ASSERT_NE(Lumo_GetPort(&port), 0);
    for (const auto& c : cases)
        EXPECT_EQ(Lumo_OpenStream(port, c.header.data(), c.length, c.bufferSize), 0) << c.name;
    Lumo_FreePort(port);
}

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

// Two frames a second apart, queued at once: a real-time stream shows the second as soon as it
// can, a file when its second has passed. The mode is the one set before the stream opened.
TEST(LumoStream, RealTimeStreamIsShownAsItComesAFileAtItsPace)
{
    const struct {
        int mode;
        bool paced;
    } cases[] = {{LUMO_STREAM_REALTIME, false}, {LUMO_STREAM_FILE, true}};
    for (const auto& c : cases) {
        CTestPort stream(LumoStreamHeader::kPackagingDatagrams, CTestPort::kSourceBufferSize, c.mode);
        ASSERT_TRUE(stream.Feed(Packetize(TestVideo(2), 90000)));
        DWORD start = GetTickCount();
        ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
        // 1000 ms of stream time is 15 units of 64 ms.
        ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(stream.Port()) == 15; }));
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(elapsed >= 900, c.paced) << c.mode << ": " << elapsed << " ms";
    }
}

// Over framed input, so that the whole path from pieces of a TCP stream is run here too. A
// file's frames are paced.
TEST(LumoStream, PlayedTimeAdvancesIn64MsUnitsAndHoldsWhilePaused)
{
    CTestPort stream(LumoStreamHeader::kPackagingFramed, CTestPort::kSourceBufferSize, LUMO_STREAM_FILE);
    int port = stream.Port();
    // 100 frames 10 ms apart: 990 ms from the first to the last, 15 whole units of 64 ms.
    ASSERT_TRUE(stream.Feed(Split(Framed(Packetize(TestVideo(100), kTicksPerFrame)), {333})));
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

} // namespace
