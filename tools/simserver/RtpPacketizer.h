#pragma once

#include "AnnexB.h"

#include <cstdint>
#include <vector>

using RtpPacket = std::vector<uint8_t>;

// Packs the NAL units of one picture into RTP packets (RFC 3550 header, H.264 payload per
// RFC 6184): a unit that fits goes alone, a larger one in FU-A fragments. Sequence numbers run
// on across pictures; the marker bit closes each picture.
class CRtpPacketizer {
public:
    static constexpr int kHeaderSize = 12;
    static constexpr int kMaxPayload = 1400;
    static constexpr int kMaxPacket = kHeaderSize + kMaxPayload;
    static constexpr int kPayloadType = 96;
    static constexpr uint8_t kVersion2 = 0x80; // in the first byte
    static constexpr uint8_t kMarker = 0x80;   // in the second byte, with the payload type
    static constexpr int kNalTypeFuA = 28;

    CRtpPacketizer(uint32_t ssrc, uint16_t firstSequence) : ssrc(ssrc), sequence(firstSequence) {}

    std::vector<RtpPacket> Packetize(const std::vector<NalUnit>& units, uint32_t timestamp);

private:
    void AddSingle(std::vector<RtpPacket>& out, const NalUnit& unit, uint32_t timestamp, bool last);
    void AddFragments(std::vector<RtpPacket>& out, const NalUnit& unit, uint32_t timestamp, bool last);
    RtpPacket& NewPacket(std::vector<RtpPacket>& out, uint32_t timestamp, bool marker);

    uint32_t ssrc;
    uint16_t sequence;
};
