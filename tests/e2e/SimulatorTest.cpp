// The library, our decoder stand-in and the server simulator together, over real loopback
// sockets: frames decoded and written as snapshot files, seek and scale seen in the played time,
// picture parameters round-tripped.
#include "SimulatorFixture.h"
#include "fakes/WaitUntil.h"

#include <algorithm>

using Simulator = SimulatorFixture;

TEST_F(Simulator, LiveStreamOverUdpIsDecodedIntoSnapshotFiles)
{
    int id = Open("/live/av_stream", 1);
    // The files' own layout is the stand-in's tests'; here, that a decoded picture of the
    // stream's size reached each.
    EXPECT_EQ(54u + kStreamWidth * 3 * kStreamHeight, Snapshot(id, "live.bmp", 0).size());
    std::vector<unsigned char> jpegFile = Snapshot(id, "live.jpg", 1);
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
