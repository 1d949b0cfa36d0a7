#include "TestPicture.h"
#include "TestPort.h"
#include "TestStream.h"
#include "VideoDecoder.h"
#include "fakes/WaitUntil.h"
#include "platform/CriticalSection.h"
#include "platform/LockGuard.h"
#include "decoder/lumodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint32_t kTicksPerFrame = 900;
const int kFrames = 10;

// What the display callbacks saw, on the display thread: of each frame the port, size, width,
// height, picture type and time stamp, and the mean values of the three planes in the order they
// lie (Y, V, U).
CCriticalSection shownLock;
std::vector<std::vector<int>> shown;

std::vector<std::vector<int>> Shown()
{
    CLockGuard guard(shownLock);
    return shown;
}

int Mean(const unsigned char* plane, int size)
{
    long sum = 0;
    for (int i = 0; i < size; ++i)
        sum += plane[i];
    return static_cast<int>(sum / size);
}

void LUMO_CALL LogFrame(int port, const unsigned char* picture, int size, int width, int height, int timeStamp,
                        int pictureType, int)
{
    int luma = width * height;
    int chroma = (width / 2) * (height / 2);
    std::vector<int> frame = {port, size, width, height, pictureType, timeStamp};
    if (picture && size >= luma + 2 * chroma && chroma > 0)
        frame.insert(frame.end(),
                     {Mean(picture, luma), Mean(picture + luma, chroma), Mean(picture + luma + chroma, chroma)});
    CLockGuard guard(shownLock);
    shown.push_back(frame);
}

std::vector<Bytes> Video(uint32_t ticksPerFrame = kTicksPerFrame)
{
    return Packetize(TestVideo(kFrames), ticksPerFrame);
}

// Over UDP one packet a block; over TCP the framed stream in pieces that cut through length
// fields and packets (the reader's own tests try every kind of cut).
TEST(Decode, EveryFrameReachesTheCallbackAsYv12)
{
    for (uint32_t packaging : {LumoStreamHeader::kPackagingDatagrams, LumoStreamHeader::kPackagingFramed}) {
        CTestPort stream(packaging);
        std::vector<Bytes> packets = Video();
        if (packaging == LumoStreamHeader::kPackagingFramed)
            packets = Split(Framed(packets), {7});
        shown.clear();
        ASSERT_NE(Lumo_SetDisplayCallBack(stream.Port(), LogFrame), 0);
        ASSERT_TRUE(stream.Feed(packets) && Lumo_Play(stream.Port(), nullptr));
        ASSERT_TRUE(WaitUntil([&] { return Shown().size() >= static_cast<size_t>(kFrames); })) << packaging;
        std::vector<std::vector<int>> frames = Shown();
        ASSERT_EQ(frames.size(), static_cast<size_t>(kFrames));
        for (const std::vector<int>& frame : frames) {
            ASSERT_EQ(frame.size(), 9u);
            EXPECT_EQ(std::vector<int>(frame.begin(), frame.begin() + 5),
                      (std::vector<int>{stream.Port(), kTestVideoWidth * kTestVideoHeight * 3 / 2, kTestVideoWidth,
                                        kTestVideoHeight, 3}));
            EXPECT_NEAR(frame[6], kTestVideoY, 3);
            EXPECT_NEAR(frame[7], kTestVideoV, 3);
            EXPECT_NEAR(frame[8], kTestVideoU, 3);
        }
        EXPECT_EQ(frames.back()[5], static_cast<int>((kFrames - 1) * kTicksPerFrame / 90));
    }
}

// A snapshot: the callback writes one frame and unregisters itself from inside.
std::string snapshotPath;
int snapshots = 0;

void LUMO_CALL TakeSnapshot(int port, const unsigned char* picture, int size, int width, int height, int,
                            int pictureType, int)
{
    Lumo_ConvertToBmpFile(picture, size, width, height, pictureType, snapshotPath.c_str());
    Lumo_SetDisplayCallBack(port, nullptr);
    ++snapshots;
}

TEST(Decode, SnapshotCallbackUnregistersItself)
{
    snapshotPath = TempPath("snapshot.bmp");
    CTestPort stream;
    ASSERT_TRUE(stream.Feed(Video(3600)));
    ASSERT_NE(Lumo_SetDisplayCallBack(stream.Port(), TakeSnapshot), 0);
    ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
    // Nine steps of 40 ms: 360 ms of stream time, 5 units, once every frame has been shown.
    ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(stream.Port()) == 5; }));
    EXPECT_EQ(snapshots, 1);
    EXPECT_EQ(ReadFile(snapshotPath).size(), 54u + 64 * 3 * 48);
}

// A callback that stops its own stream: the stop cannot wait for the thread it runs on.
void LUMO_CALL StopOwnStream(int port, const unsigned char*, int, int, int, int, int, int)
{
    Lumo_Stop(port);
    CLockGuard guard(shownLock);
    shown.push_back({port});
}

TEST(Decode, CallbackMayStopItsOwnStream)
{
    shown.clear();
    CTestPort stream;
    ASSERT_TRUE(stream.Feed(Video()));
    ASSERT_NE(Lumo_SetDisplayCallBack(stream.Port(), StopOwnStream), 0);
    ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
    ASSERT_TRUE(WaitUntil([&] { return Shown().size() == 1; }));
    EXPECT_EQ(Lumo_Pause(stream.Port(), 1), 0);
    EXPECT_NE(Lumo_CloseStream(stream.Port()), 0);
    EXPECT_EQ(Shown().size(), 1u);
}

// A P slice of a stream whose parameter sets never came: the decoder refuses it, to itself.
TEST(Decode, DamagedInputLeavesTheHostsStderrQuiet)
{
    CVideoDecoder decoder;
    ASSERT_TRUE(decoder.Open());
    const unsigned char slice[] = {0, 0, 0, 1, 0x41, 0x9a, 0x00, 0x10, 0x20, 0x30, 0x40};
    DecodedFrame frame;
    testing::internal::CaptureStderr();
    decoder.Send(slice, sizeof slice, 0);
    decoder.Receive(&frame);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
