// The blaster's packets, byte for byte as the load tool reads them, and its pacing arithmetic.
#include "BlastPacket.h"
#include "PacedSender.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<uint8_t>;

struct PacketCase { uint32_t counter; Bytes header; };

TEST(BlastPacket, CarriesTheCounterAsSequenceAndTimestampThenZeros)
{
    const PacketCase cases[] = {
        {0, {0x80, 0xe0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xca, 0xfe, 0xba, 0xbe}},
        {1, {0x80, 0xe0, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0xca, 0xfe, 0xba, 0xbe}},
        {0xffff, {0x80, 0xe0, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff, 0xca, 0xfe, 0xba, 0xbe}},
        {0x10000, {0x80, 0xe0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xca, 0xfe, 0xba, 0xbe}},
        {0x12345678, {0x80, 0xe0, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78, 0xca, 0xfe, 0xba, 0xbe}},
        {0xffffffff, {0x80, 0xe0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xca, 0xfe, 0xba, 0xbe}},
    };
    CBlastPacket packet(1400, 0xcafebabe);
    for (const PacketCase& c : cases) {
        Bytes expected = c.header;
        expected.resize(1400, 0);
        EXPECT_EQ(expected, packet.At(c.counter)) << c.counter;
    }
}

TEST(BlastPacket, SizeCountsTheHeaderAndStaysWithinItsLimits)
{
    const std::pair<int, size_t> sizes[] = {{1400, 1400}, {13, 13}, {4096, 4096}, {1, 13}, {100000, 4096}};
    for (const auto& size : sizes) {
        CBlastPacket packet(size.first, 7);
        const RtpPacket& bytes = packet.At(3);
        EXPECT_EQ(size.second, bytes.size()) << size.first;
        EXPECT_EQ(0, bytes[12]) << "NAL unit type 0, which a decoder skips";
    }
}

struct DueCase { int rate; milliseconds elapsed; uint64_t sent, due; };

TEST(PacedSender, OwesElapsedTimesRateLessWhatWentAtMostABurst)
{
    const DueCase cases[] = {
        {357, milliseconds(0), 0, 0},
        {357, milliseconds(10), 0, 3},
        {357, milliseconds(10), 3, 0},
        {357, milliseconds(1000), 350, 7},
        {357, milliseconds(1000), 357, 0},
        {357, milliseconds(1000), 400, 0},                       // a restart's counter, ahead
        {357, milliseconds(1000), 0, 16},                        // late: a burst, no more
        {100000, milliseconds(1), 0, 100},                       // beyond 16 in the shortest wake
        {100000, milliseconds(100), 0, 200},                     // two wakes' worth
        {CPacedSender::kMaxRate, milliseconds(86400000), 864000000000 - 5, 5},  // a day: no overflow
        {0, milliseconds(3600000), 0, 0},
        {CPacedSender::kUnlimited, milliseconds(0), 123456, 16},
    };
    for (const DueCase& c : cases) {
        CPacedSender sender(c.rate, 1400, 1);
        EXPECT_EQ(c.due, sender.Due(c.elapsed, c.sent)) << c.rate << " " << c.elapsed.count() << " " << c.sent;
    }
}

} // namespace
