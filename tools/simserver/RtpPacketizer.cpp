#include "RtpPacketizer.h"

#include <algorithm>

namespace {

const uint8_t kNriMask = 0x60;
const uint8_t kTypeMask = 0x1f;
const uint8_t kFuStart = 0x80;
const uint8_t kFuEnd = 0x40;
// FU indicator and FU header come before each fragment.
const size_t kFuOverhead = 2;

void PutBigEndian(RtpPacket& packet, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        packet.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<RtpPacket> CRtpPacketizer::Packetize(const std::vector<NalUnit>& units, uint32_t timestamp)
{
    std::vector<RtpPacket> packets;
    for (size_t i = 0; i < units.size(); ++i) {
        bool last = i + 1 == units.size();
        if (units[i].size <= static_cast<size_t>(kMaxPayload))
            AddSingle(packets, units[i], timestamp, last);
        else
            AddFragments(packets, units[i], timestamp, last);
    }
    return packets;
}

void CRtpPacketizer::AddSingle(std::vector<RtpPacket>& out, const NalUnit& unit, uint32_t timestamp, bool last)
{
    RtpPacket& packet = NewPacket(out, timestamp, last);
    packet.insert(packet.end(), unit.data, unit.data + unit.size);
}

void CRtpPacketizer::AddFragments(std::vector<RtpPacket>& out, const NalUnit& unit, uint32_t timestamp, bool last)
{
    const uint8_t header = unit.data[0];
    const uint8_t indicator = static_cast<uint8_t>((header & kNriMask) | kNalTypeFuA);
    const size_t room = kMaxPayload - kFuOverhead;
    // The unit's own header byte is not sent: the FU indicator and FU header carry its fields.
    for (size_t offset = 1; offset < unit.size; offset += room) {
        size_t length = std::min(room, unit.size - offset);
        bool first = offset == 1;
        bool end = offset + length == unit.size;
        RtpPacket& packet = NewPacket(out, timestamp, last && end);
        packet.push_back(indicator);
        packet.push_back(static_cast<uint8_t>((first ? kFuStart : 0) | (end ? kFuEnd : 0) | (header & kTypeMask)));
        packet.insert(packet.end(), unit.data + offset, unit.data + offset + length);
    }
}

RtpPacket& CRtpPacketizer::NewPacket(std::vector<RtpPacket>& out, uint32_t timestamp, bool marker)
{
    out.emplace_back();
    RtpPacket& packet = out.back();
    packet.reserve(kMaxPacket);
    packet.push_back(kVersion2);
    packet.push_back(static_cast<uint8_t>((marker ? kMarker : 0) | kPayloadType));
    PutBigEndian(packet, sequence++, 2);
    PutBigEndian(packet, timestamp, 4);
    PutBigEndian(packet, ssrc, 4);
    return packet;
}
