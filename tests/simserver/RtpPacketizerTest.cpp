#include "RtpPacketizer.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Unit(uint8_t header, size_t size)
{
    std::vector<uint8_t> unit(size);
    unit[0] = header;
    for (size_t i = 1; i < size; ++i)
        unit[i] = static_cast<uint8_t>(i * 7);
    return unit;
}

struct PacketCase { size_t unitSize, packets, lastPacketSize; };

TEST(RtpPacketizer, FitsUnitsUpTo1400BytesAloneAndFragmentsLargerOnes)
{
    // Fragments carry 1398 bytes of the unit after its header byte, behind two FU bytes.
    const PacketCase cases[] = {
        {1, 1, 13}, {1400, 1, 1412}, {1401, 2, 12 + 2 + 2}, {1 + 1398 * 3, 3, 1412}, {5000, 4, 12 + 2 + 5000 - 1 - 3 * 1398},
    };
    for (const PacketCase& c : cases) {
        std::vector<uint8_t> unit = Unit(0x65, c.unitSize);
        CRtpPacketizer packetizer(0x11223344, 100);
        std::vector<RtpPacket> packets = packetizer.Packetize({NalUnit{unit.data(), unit.size()}}, 3600);
        ASSERT_EQ(c.packets, packets.size()) << c.unitSize;
        EXPECT_EQ(c.lastPacketSize, packets.back().size()) << c.unitSize;
        for (const RtpPacket& packet : packets)
            EXPECT_LE(packet.size(), size_t(CRtpPacketizer::kMaxPacket));
    }
}

// A picture of a small unit and one of 3000 bytes: the header, the marker on the picture's last
// packet only, the sequence number wrapping, and FU-A fragments that carry the unit's header
// fields and their start and end bits.
TEST(RtpPacketizer, WritesTheRtpHeaderAndFuAFragments)
{
    std::vector<uint8_t> small = Unit(0x67, 10), unit = Unit(0x65, 3000);
    CRtpPacketizer packetizer(0x11223344, 0xffff);
    std::vector<RtpPacket> packets =
        packetizer.Packetize({{small.data(), small.size()}, {unit.data(), unit.size()}}, 0x01020304);
    ASSERT_EQ(4u, packets.size());
    EXPECT_EQ((std::vector<uint8_t>{0x80, 96, 0xff, 0xff, 1, 2, 3, 4, 0x11, 0x22, 0x33, 0x44}),
              std::vector<uint8_t>(packets[0].begin(), packets[0].begin() + 12));
    EXPECT_EQ(small, std::vector<uint8_t>(packets[0].begin() + 12, packets[0].end()));
    std::vector<uint8_t> rebuilt{static_cast<uint8_t>((packets[1][12] & 0xe0) | (packets[1][13] & 0x1f))};
    for (size_t i = 1; i < packets.size(); ++i) {
        EXPECT_EQ(i - 1, size_t(packets[i][2] << 8 | packets[i][3])) << i;
        EXPECT_EQ(0x60 | 28, packets[i][12]) << "NRI of the unit, type FU-A";
        EXPECT_EQ((i == 1 ? 0x80 : 0) | (i == 3 ? 0x40 : 0) | 5, packets[i][13]);
        EXPECT_EQ(i == 3, (packets[i][1] & 0x80) != 0);
        rebuilt.insert(rebuilt.end(), packets[i].begin() + 14, packets[i].end());
    }
    EXPECT_EQ(unit, rebuilt);
}

} // namespace
