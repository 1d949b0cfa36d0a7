#include "LatencySamples.h"
#include "StreamCounter.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// A packet of the load sender: RTP version 2, the counter as timestamp, its low 16 bits as
// sequence number.
std::vector<unsigned char> Packet(uint32_t timestamp, unsigned sequence, int size = 100)
{
    std::vector<unsigned char> packet(size, 0xab);
    packet[0] = 0x80;
    packet[1] = 96;
    packet[2] = static_cast<unsigned char>(sequence >> 8);
    packet[3] = static_cast<unsigned char>(sequence);
    for (int i = 0; i < 4; ++i)
        packet[4 + i] = static_cast<unsigned char>(timestamp >> (24 - 8 * i));
    return packet;
}

std::vector<unsigned char> Counted(uint32_t counter)
{
    return Packet(counter, counter & 0xffff);
}

void Feed(CStreamCounter& counter, const std::vector<std::vector<unsigned char>>& chunks)
{
    for (const std::vector<unsigned char>& chunk : chunks)
        counter.OnChunk(chunk.data(), static_cast<int>(chunk.size()));
}

} // namespace

TEST(LatencySamples, NearestRankPercentiles)
{
    struct Case {
        std::vector<double> samples;
        double percent;
        std::optional<double> expected;
    };
    const std::vector<double> tenSamples = {10, 1, 9, 2, 8, 3, 7, 4, 6, 5};
    const Case cases[] = {
        {{}, 50, std::nullopt}, {{7}, 99, 7},          {tenSamples, 50, 5}, {tenSamples, 90, 9},
        {tenSamples, 99, 10},   {tenSamples, 100, 10}, {tenSamples, 1, 1},  {{3, 1, 2}, 50, 2},
    };
    for (const Case& c : cases) {
        CLatencySamples samples;
        for (double sample : c.samples)
            samples.Add(sample);
        EXPECT_EQ(c.expected, samples.Percentile(c.percent)) << c.samples.size() << " samples, p" << c.percent;
    }
}

TEST(StreamCounter, CountsEveryChunkButOnlySenderCountersForLoss)
{
    CStreamCounter counter(true);
    Feed(counter, {Counted(0), Counted(1), Counted(2)});
    StreamFigures start = counter.Read();
    Feed(counter, {
                      Counted(5),                 // 3 and 4 lost
                      {0x80, 96, 0, 1},           // too short for an RTP header
                      Packet(7, 8),               // sequence does not match the counter
                      Packet(0x12340006, 0x0006), // video whose sequence happens to match: too far ahead
                      Counted(4),                 // late, still delivered
                      Counted(0x10006),           // the sequence number wrapped, the counter did not
                  });
    StreamFigures window = counter.Read().Since(start);
    EXPECT_EQ(6, window.chunks);
    EXPECT_EQ(4 + 5 * 100, window.bytes);
    EXPECT_EQ(0x10007 - 3, window.sent);
    EXPECT_EQ(3, window.delivered);
}

TEST(StreamCounter, ByteStreamReadsAreOnlyCounted)
{
    CStreamCounter counter(false);
    Feed(counter, {Counted(0), Counted(9)});
    StreamFigures figures = counter.Read();
    EXPECT_EQ(2, figures.chunks);
    EXPECT_EQ(200, figures.bytes);
    EXPECT_EQ(0, figures.sent);
    EXPECT_EQ(0, figures.delivered);
}
