#include "LatencySamples.h"
#include "StreamCounter.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A packet of the load sender: RTP version 2, the counter as timestamp, its low 16 bits as
// sequence number.
Bytes Packet(uint32_t timestamp, unsigned sequence)
{
    Bytes packet(100, 0xab);
    packet[0] = 0x80;
    packet[1] = 96;
    packet[2] = static_cast<unsigned char>(sequence >> 8);
    packet[3] = static_cast<unsigned char>(sequence);
    for (int i = 0; i < 4; ++i)
        packet[4 + i] = static_cast<unsigned char>(timestamp >> (24 - 8 * i));
    return packet;
}

Bytes Counted(uint32_t counter) { return Packet(counter, counter & 0xffff); }

StreamFigures Fed(CStreamCounter& counter, const std::vector<Bytes>& chunks)
{
    for (const Bytes& chunk : chunks)
        counter.OnChunk(chunk.data(), static_cast<int>(chunk.size()));
    return counter.Read();
}

} // namespace

TEST(LatencySamples, NearestRankPercentiles)
{
    const std::vector<double> ten = {10, 1, 9, 2, 8, 3, 7, 4, 6, 5};
    const struct { std::vector<double> samples; double percent; std::optional<double> expected; } cases[] = {
        {{}, 50, std::nullopt}, {{7}, 99, 7}, {ten, 50, 5}, {ten, 90, 9},
        {ten, 99, 10},          {ten, 100, 10}, {ten, 1, 1}, {{3, 1, 2}, 50, 2},
    };
    for (const auto& c : cases) {
        CLatencySamples samples;
        for (double sample : c.samples)
            samples.Add(sample);
        EXPECT_EQ(c.expected, samples.Percentile(c.percent)) << c.samples.size() << " samples, p" << c.percent;
    }
}

TEST(StreamCounter, CountsEveryChunkButOnlySenderCountersForLoss)
{
    CStreamCounter counter(true);
    StreamFigures start = Fed(counter, {Counted(0), Counted(1), Counted(2)});
    StreamFigures window = Fed(counter, {
                                            Counted(5),                 // 3 and 4 lost
                                            {0x80, 96, 0, 1},           // too short for an RTP header
                                            Packet(7, 8),               // sequence does not match the counter
                                            Packet(0x12340006, 0x0006), // matching video sequence: too far ahead
                                            Counted(4),                 // late, still delivered
                                            Counted(0x10006),           // the sequence wrapped, the counter did not
                                        }).Since(start);
    EXPECT_EQ(6, window.chunks);
    EXPECT_EQ(4 + 5 * 100, window.bytes);
    EXPECT_EQ(0x10007 - 3, window.sent);
    EXPECT_EQ(3, window.delivered);

    // Reads of a byte stream are only counted.
    CStreamCounter bytes(false);
    StreamFigures figures = Fed(bytes, {Counted(0), Counted(9)});
    EXPECT_EQ(2, figures.chunks);
    EXPECT_EQ(200, figures.bytes);
    EXPECT_EQ(0, figures.sent);
    EXPECT_EQ(0, figures.delivered);
}
