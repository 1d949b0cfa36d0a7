// How the simulator's packets carry a unit: the bytes of the header and of FU-A fragments are
// seen whole in the simulator's media (SimServerTest) and in the decoder stand-in's tests, which
// decode these packets; here, the sizes.
#include "RtpPacketizer.h"

#include <gtest/gtest.h>

namespace {

struct PacketCase { size_t unitSize, packets, lastPacketSize; };

TEST(RtpPacketizer, FitsUnitsUpTo1400BytesAloneAndFragmentsLargerOnes)
{
    // Fragments carry 1398 bytes of the unit after its header byte, behind two FU bytes.
    const PacketCase cases[] = {
        {1, 1, 13}, {1400, 1, 1412}, {1401, 2, 12 + 2 + 2}, {1 + 1398 * 3, 3, 1412}, {5000, 4, 12 + 2 + 5000 - 1 - 3 * 1398},
    };
    for (const PacketCase& c : cases) {
        std::vector<uint8_t> unit(c.unitSize, 7);
        unit[0] = 0x65;
        CRtpPacketizer packetizer(0x11223344, 100);
        std::vector<RtpPacket> packets = packetizer.Packetize({NalUnit{unit.data(), unit.size()}}, 3600);
        ASSERT_EQ(c.packets, packets.size()) << c.unitSize;
        EXPECT_EQ(c.lastPacketSize, packets.back().size()) << c.unitSize;
        for (const RtpPacket& packet : packets)
            EXPECT_LE(packet.size(), size_t(CRtpPacketizer::kMaxPacket));
    }
}

} // namespace
