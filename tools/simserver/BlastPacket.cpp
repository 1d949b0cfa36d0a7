#include "BlastPacket.h"

#include <algorithm>

namespace {

const int kSequenceAt = 2;
const int kTimestampAt = 4;
const int kSsrcAt = 8;

void PutBigEndian(RtpPacket& packet, int at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        packet[at + i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
}

} // namespace

CBlastPacket::CBlastPacket(int size, uint32_t ssrc)
    : bytes(static_cast<size_t>(std::min(std::max(size, kMinSize), kMaxSize)), 0)
{
    bytes[0] = CRtpPacketizer::kVersion2;
    bytes[1] = CRtpPacketizer::kMarker | CRtpPacketizer::kPayloadType;
    PutBigEndian(bytes, kSsrcAt, ssrc, 4);
}

const RtpPacket& CBlastPacket::At(uint32_t counter)
{
    PutBigEndian(bytes, kSequenceAt, counter, 2);
    PutBigEndian(bytes, kTimestampAt, counter, 4);
    return bytes;
}
