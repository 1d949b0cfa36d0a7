#pragma once

#include "MediaChannel.h"
#include "RtpPacketizer.h"

#include <cstdint>

// A packet of the media blaster, which measures a receiver without the cost of encoding: RTP
// version 2 with the marker bit and payload type 96, the packet's counter as sequence (its low
// 16 bits) and timestamp (its low 32 bits), then a payload of zeros. Its first byte says NAL
// unit type 0, which a decoder skips cheaply. Receivers find losses and reordering from the
// counter, so this layout is shared with the load tool and must not change.
class CBlastPacket {
public:
    static constexpr int kMinSize = CRtpPacketizer::kHeaderSize + 1;
    static constexpr int kMaxSize = CMediaChannel::kMaxPacket;
    static constexpr int kDefaultSize = 1400;

    // size counts the header; it is held within kMinSize..kMaxSize.
    CBlastPacket(int size, uint32_t ssrc);

    // The packet with the given counter; it is rewritten in place, so a reference stays valid
    // (and changes) until the object goes.
    const RtpPacket& At(uint32_t counter);

private:
    RtpPacket bytes;
};
