#include "TestPort.h"
#include "TestStream.h"
#include "fakes/WaitUntil.h"
#include "decoder/lumodec.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

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

// The tests' stream header with one field changed.
Bytes HeaderWith(uint32_t LumoStreamHeader::*field, uint32_t value)
{
    LumoStreamHeader header;
    Bytes bytes = CTestPort::Header(LumoStreamHeader::kPackagingDatagrams);
    header.Read(bytes.data(), LumoStreamHeader::kSize);
    header.*field = value;
    header.Write(bytes.data());
    return bytes;
}

TEST(LumoStream, UnusableHeadersAreRefused)
{
    const int size = CTestPort::kSourceBufferSize;
    const struct { const char* name; Bytes header; int length, bufferSize; } cases[] = {
        {"wrong magic", Bytes(40, 'X'), 40, size},
        {"unknown version", HeaderWith(&LumoStreamHeader::version, 2), 40, size},
        {"unknown codec", HeaderWith(&LumoStreamHeader::codec, 2), 40, size},
        {"unknown packaging", HeaderWith(&LumoStreamHeader::packaging, 2), 40, size},
        {"no clock rate", HeaderWith(&LumoStreamHeader::clockRate, 0), 40, size},
        {"short", CTestPort::Header(LumoStreamHeader::kPackagingDatagrams), 39, size},
        {"no source buffer", CTestPort::Header(LumoStreamHeader::kPackagingDatagrams), 40, 0},
    };
    int port = -1;
    ASSERT_NE(Lumo_GetPort(&port), 0);
    for (const auto& c : cases)
        EXPECT_EQ(Lumo_OpenStream(port, c.header.data(), c.length, c.bufferSize), 0) << c.name;
    Lumo_FreePort(port);
}

// Pause needs play, and resume a pause; the rate stays within four steps either way; a port
// opens once, and again after a close.
TEST(LumoStream, ControlsOfAnOpenStream)
{
    CTestPort stream;
    int port = stream.Port();
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(Lumo_Pause(port, 1), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
    EXPECT_NE(Lumo_Pause(port, 1), 0);
    EXPECT_NE(Lumo_Pause(port, 0), 0);
    EXPECT_NE(Lumo_Stop(port), 0);
    EXPECT_EQ(Lumo_Pause(port, 0), 0);
    EXPECT_NE(Lumo_Play(port, nullptr), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(Lumo_Fast(port), 0);
    EXPECT_EQ(Lumo_Fast(port), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_NE(Lumo_Slow(port), 0);
    EXPECT_EQ(Lumo_Slow(port), 0);
    Bytes header = CTestPort::Header(LumoStreamHeader::kPackagingFramed);
    EXPECT_EQ(Lumo_OpenStream(port, header.data(), 40, CTestPort::kSourceBufferSize), 0);
    EXPECT_NE(Lumo_CloseStream(port), 0);
    EXPECT_EQ(Lumo_Play(port, nullptr), 0);
    EXPECT_NE(Lumo_OpenStream(port, header.data(), 40, CTestPort::kSourceBufferSize), 0);
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

// A real-time stream shows its frames as they come, a file at its pace, by the mode set before
// the stream opened: 1000 or 990 ms of stream time, 15 units of 64 ms either way. The file comes
// framed in pieces, so that the whole path from a TCP stream runs here too, and is paused on its
// way: the played time holds.
TEST(LumoStream, RealTimeIsShownAsItComesAFileAtItsPaceAndItsPlayedTimeHoldsWhilePaused)
{
    for (bool file : {false, true}) {
        CTestPort stream(file ? LumoStreamHeader::kPackagingFramed : LumoStreamHeader::kPackagingDatagrams,
                         CTestPort::kSourceBufferSize, file ? LUMO_STREAM_FILE : LUMO_STREAM_REALTIME);
        int port = stream.Port();
        // Two frames a second apart, or 100 frames 10 ms apart.
        std::vector<Bytes> packets = Packetize(TestVideo(file ? 100 : 2), file ? 900 : 90000);
        ASSERT_TRUE(stream.Feed(file ? Split(Framed(packets), {333}) : packets));
        EXPECT_EQ(Lumo_GetPlayedTimeEx(port), 0u);
        DWORD start = GetTickCount();
        ASSERT_NE(Lumo_Play(port, nullptr), 0);
        if (file) {
            ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(port) >= 3; }));
            ASSERT_NE(Lumo_Pause(port, 1), 0);
            unsigned held = Lumo_GetPlayedTimeEx(port);
            Sleep(100);
            EXPECT_EQ(Lumo_GetPlayedTimeEx(port), held);
            ASSERT_NE(Lumo_Pause(port, 0), 0);
        }
        ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(port) == 15; }));
        EXPECT_EQ(GetTickCount() - start >= 900, file) << GetTickCount() - start << " ms";
        EXPECT_NE(Lumo_Stop(port), 0);
        EXPECT_EQ(Lumo_GetPlayedTimeEx(port), 0u);
    }
}

} // namespace
