#include "ReplayProducer.h"
#include "lumodec/TestStream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

// Two frames of two and one packets, 3600 ticks apart, then the start of a third.
std::vector<RtpPacket> TwoFrames()
{
    std::vector<uint8_t> big(2000, 0x41), small(10, 0x41);
    big[0] = small[0] = 0x41;
    CRtpPacketizer packetizer(7, 65535);
    std::vector<RtpPacket> packets = packetizer.Packetize({NalUnit{big.data(), big.size()}}, 0xfffff000u);
    for (uint32_t timestamp : {0xfffff000u + 3600, 0xfffff000u + 7200})
        packets.push_back(packetizer.Packetize({NalUnit{small.data(), small.size()}}, timestamp)[0]);
    packets.back()[1] &= 0x7f; // no marker: unfinished
    return packets;
}

uint32_t Field(const RtpPacket& packet, int offset, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | packet[offset + i];
    return value;
}

TEST(RtpRecording, TakesWholeFramesAndRefusesWhatIsNotARecording)
{
    std::vector<uint8_t> good = Framed(TwoFrames());
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    std::vector<uint8_t> notRtp = good;
    notRtp[2] = 0x40;
    std::vector<uint8_t> noFrame = Framed({TwoFrames().back()});
    CRtpRecording recording;
    std::string error;
    ASSERT_TRUE(recording.Parse(good, error)) << error;
    ASSERT_EQ(2u, recording.Frames().size());
    EXPECT_EQ(2u, recording.Frames()[0].size());
    for (const auto& bad : {cut, notRtp, noFrame, std::vector<uint8_t>{0}})
        EXPECT_FALSE(recording.Parse(bad, error));
}

TEST(ReplayProducer, LoopsWithTimestampsAndSequenceNumbersRunningOn)
{
    std::string path = testing::TempDir() + "replay_test.rtp";
    std::vector<uint8_t> bytes = Framed(TwoFrames());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    CReplayProducer producer(path, StreamFormat{640, 360, 25, 120}, 99);
    std::string error;
    ASSERT_TRUE(producer.Open(error)) << error;
    std::vector<RtpPacket> sent;
    for (int64_t index = 0; index < 5; ++index)
        for (const RtpPacket& packet : producer.FramePackets(index))
            sent.push_back(packet);
    ASSERT_EQ(8u, sent.size());
    uint32_t firstTime = Field(sent[0], 4, 4);
    const int frameOf[] = {0, 0, 1, 2, 2, 3, 4, 4};
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(static_cast<uint16_t>(Field(sent[0], 2, 2) + i), Field(sent[i], 2, 2)) << i;
        EXPECT_EQ(firstTime + 3600u * frameOf[i], Field(sent[i], 4, 4)) << i;
        EXPECT_EQ(99u, Field(sent[i], 8, 4));
    }
    std::remove(path.c_str());
}

} // namespace
