#include "TestCaseName.h"
#include "TestPicture.h"
#include "TestPort.h"
#include "TestStream.h"
#include "fakes/WaitUntil.h"
#include "platform/CriticalSection.h"
#include "platform/LockGuard.h"
#include "player/lumodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint32_t kTicksPerFrame = 900;
// Small payloads, so that the key frames travel as FU-A fragments.
const size_t kMaxPayload = 64;
const int kFrames = 10;

struct ShownFrame {
    int port;
    int size;
    int width;
    int height;
    int timeStamp;
    int pictureType;
    // Mean values of the three planes in the order they lie: Y, V, U.
    int planes[3];
};

// What the display callback saw; it runs on the display thread.
class CFrameLog {
public:
    void Add(const ShownFrame& frame)
    {
        CLockGuard guard(lock);
        frames.push_back(frame);
    }
    std::vector<ShownFrame> Frames()
    {
        CLockGuard guard(lock);
        return frames;
    }
    size_t Count() { return Frames().size(); }

private:
    CCriticalSection lock;
    std::vector<ShownFrame> frames;
};

CFrameLog* frameLog = nullptr;

int Mean(const unsigned char* plane, int size)
{
    long sum = 0;
    for (int i = 0; i < size; ++i)
        sum += plane[i];
    return size ? static_cast<int>(sum / size) : -1;
}

void LUMO_CALL LogFrame(int port, const unsigned char* picture, int size, int width, int height, int timeStamp,
                        int pictureType, int)
{
    int luma = width * height;
    int chroma = (width / 2) * (height / 2);
    ShownFrame frame = {port, size, width, height, timeStamp, pictureType, {0, 0, 0}};
    if (size >= luma + 2 * chroma) {
        frame.planes[0] = Mean(picture, luma);
        frame.planes[1] = Mean(picture + luma, chroma);
        frame.planes[2] = Mean(picture + luma + chroma, chroma);
    }
    frameLog->Add(frame);
}

class DecodeTest : public ::testing::Test {
protected:
    void SetUp() override { frameLog = &log; }
    void TearDown() override { frameLog = nullptr; }

    static std::vector<Bytes> Video() { return CTestEncoder::Video(kFrames, 5); }

    // Plays what was fed and waits for that many frames.
    bool Play(CTestPort& stream, const std::vector<Bytes>& blocks, size_t frames)
    {
        Lumo_SetDisplayCallBack(stream.Port(), LogFrame);
        return stream.Feed(blocks) && Lumo_Play(stream.Port(), nullptr) &&
               WaitUntil([&] { return log.Count() >= frames; });
    }

    std::vector<int> TimeStamps()
    {
        std::vector<int> stamps;
        for (const ShownFrame& frame : log.Frames())
            stamps.push_back(frame.timeStamp);
        return stamps;
    }

    CFrameLog log;
};

struct TransportCase {
    std::string name;
    uint32_t packaging;
    std::vector<size_t> splits; // of the framed byte stream; unused for datagrams
};

const TransportCase kTransports[] = {
    {"datagrams", LumoStreamHeader::kPackagingDatagrams, {}},
    {"framed whole", LumoStreamHeader::kPackagingFramed, {1000000}},
    {"framed byte by byte", LumoStreamHeader::kPackagingFramed, {1}},
    {"framed in 7 byte pieces", LumoStreamHeader::kPackagingFramed, {7}},
    {"framed across length fields", LumoStreamHeader::kPackagingFramed, {1, 2, 3, 77, 1}},
    {"framed in large pieces", LumoStreamHeader::kPackagingFramed, {1500}},
};

class TransportTest : public DecodeTest, public ::testing::WithParamInterface<TransportCase> {};

TEST_P(TransportTest, EveryFrameReachesTheCallbackAsYv12)
{
    CTestPort stream(GetParam().packaging);
    CTestPacketizer packetizer(kMaxPayload);
    std::vector<Bytes> packets = packetizer.PacketizeAll(Video(), kTicksPerFrame);
    bool framed = GetParam().packaging == LumoStreamHeader::kPackagingFramed;
    ASSERT_TRUE(Play(stream, framed ? CTestPacketizer::Split(CTestPacketizer::Framed(packets), GetParam().splits) : packets,
                     kFrames));
    std::vector<ShownFrame> frames = log.Frames();
    ASSERT_EQ(frames.size(), static_cast<size_t>(kFrames));
    TestVideoSpec clip;
    for (const ShownFrame& frame : frames) {
        EXPECT_EQ(frame.port, stream.Port());
        EXPECT_EQ(frame.width, clip.width);
        EXPECT_EQ(frame.height, clip.height);
        EXPECT_EQ(frame.size, clip.width * clip.height * 3 / 2);
        EXPECT_EQ(frame.pictureType, 3);
        EXPECT_NEAR(frame.planes[0], clip.y, 3);
        EXPECT_NEAR(frame.planes[1], clip.v, 3);
        EXPECT_NEAR(frame.planes[2], clip.u, 3);
    }
    EXPECT_EQ(frames.back().timeStamp, static_cast<int>((kFrames - 1) * kTicksPerFrame / 90));
}

INSTANTIATE_TEST_SUITE_P(Decode, TransportTest, ::testing::ValuesIn(kTransports), CaseName<TransportCase>);

struct LossCase {
    std::string name;
    uint32_t packaging;
};

// The first packet of frame 2 is lost: as a datagram, or as a piece of the framed byte stream
// from inside that packet to inside the next, after which the reader must find the packet
// boundaries again. Either way frames 2 to 4 cannot be decoded.
const LossCase kLosses[] = {
    {"datagram", LumoStreamHeader::kPackagingDatagrams},
    {"piece of the framed stream", LumoStreamHeader::kPackagingFramed},
};

class LossTest : public DecodeTest, public ::testing::WithParamInterface<LossCase> {};

std::vector<Bytes> WithLoss(std::vector<Bytes> packets, size_t lost, uint32_t packaging)
{
    if (packaging == LumoStreamHeader::kPackagingDatagrams) {
        packets.erase(packets.begin() + static_cast<long>(lost));
        return packets;
    }
    std::vector<Bytes> before(packets.begin(), packets.begin() + static_cast<long>(lost));
    size_t from = CTestPacketizer::Framed(before).size() + 5;
    return CTestPacketizer::SplitWithLoss(CTestPacketizer::Framed(packets), from, from + 2 + packets[lost].size(), 100);
}

TEST_P(LossTest, DropsFramesUntilTheNextKeyFrame)
{
    CTestPort stream(GetParam().packaging);
    CTestPacketizer packetizer(kMaxPayload);
    std::vector<Bytes> units = Video();
    std::vector<Bytes> packets;
    size_t lost = 0;
    for (int i = 0; i < kFrames; ++i) {
        if (i == 2)
            lost = packets.size();
        std::vector<Bytes> some = packetizer.Packetize(units[i], i * kTicksPerFrame);
        packets.insert(packets.end(), some.begin(), some.end());
    }
    ASSERT_TRUE(Play(stream, WithLoss(packets, lost, GetParam().packaging), 7));
    ASSERT_TRUE(WaitUntil([&] { return Lumo_GetPlayedTimeEx(stream.Port()) == 1; }));
    EXPECT_EQ(TimeStamps(), (std::vector<int>{0, 10, 50, 60, 70, 80, 90}));
}

INSTANTIATE_TEST_SUITE_P(Decode, LossTest, ::testing::ValuesIn(kLosses), CaseName<LossCase>);

TEST_F(DecodeTest, HostilePacketsBetweenFramesAreIgnored)
{
    const std::vector<Bytes> hostile = {
        {},
        {0x80, 96, 0},
        {0x8f, 96, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0x65},
        {0x90, 96, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0xbe, 0xde, 0xff, 0xff, 0x65},
        {0xa0, 96, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0x65, 0xff},
    };
    CTestPort stream;
    CTestPacketizer packetizer(kMaxPayload);
    std::vector<Bytes> blocks;
    for (const Bytes& packet : packetizer.PacketizeAll(Video(), kTicksPerFrame)) {
        blocks.insert(blocks.end(), hostile.begin() + 1, hostile.end());
        blocks.push_back(packet);
    }
    ASSERT_TRUE(Play(stream, blocks, kFrames));
    EXPECT_EQ(log.Count(), static_cast<size_t>(kFrames));
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

TEST_F(DecodeTest, SnapshotCallbackUnregistersItself)
{
    snapshotPath = TempPath("snapshot.bmp");
    CTestPort stream;
    CTestPacketizer packetizer(kMaxPayload);
    ASSERT_TRUE(stream.Feed(packetizer.PacketizeAll(Video(), 3600)));
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
    frameLog->Add(ShownFrame{port, 0, 0, 0, 0, 0, {0, 0, 0}});
}

TEST_F(DecodeTest, CallbackMayStopItsOwnStream)
{
    CTestPort stream;
    CTestPacketizer packetizer(kMaxPayload);
    ASSERT_TRUE(stream.Feed(packetizer.PacketizeAll(Video(), kTicksPerFrame)));
    ASSERT_NE(Lumo_SetDisplayCallBack(stream.Port(), StopOwnStream), 0);
    ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
    ASSERT_TRUE(WaitUntil([&] { return log.Count() == 1; }));
    EXPECT_EQ(Lumo_Pause(stream.Port(), 1), 0);
    EXPECT_NE(Lumo_CloseStream(stream.Port()), 0);
    EXPECT_EQ(log.Count(), 1u);
}

} // namespace
