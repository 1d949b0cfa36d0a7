#pragma once

#include <cstdint>

// The fields of one RTP packet that depacketising needs, read from bytes a hostile server may
// have sent: every length inside the packet is checked against the packet.
struct RtpPacket {
    static constexpr int kFixedHeaderSize = 12;
    static constexpr int kVersion = 2;

    uint16_t sequence = 0;
    uint32_t timestamp = 0;
    bool marker = false;
    // Within the bytes given to Read, after CSRCs and extension, before padding.
    const unsigned char* payload = nullptr;
    int payloadLength = 0;

    // False for anything that is not a well-formed RTP version 2 packet with a payload.
    bool Read(const unsigned char* data, int length);
};
