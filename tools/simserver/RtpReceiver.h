#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

// One RTP packet as received, its header fields read out.
struct ReceivedPacket {
    std::vector<uint8_t> bytes;
    int version = 0;
    int payloadType = 0;
    bool marker = false;
    uint16_t sequence = 0;
    uint32_t timestamp = 0;
    uint32_t ssrc = 0;
    const uint8_t* Payload() const { return bytes.data() + 12; }
    size_t PayloadSize() const { return bytes.size() - 12; }
};

// One picture: its packets up to the one with the marker bit, and its NAL units put back
// together from single NAL unit packets and FU-A fragments. fragmentsOk is false when FU-A
// start and end bits are out of order.
struct ReceivedFrame {
    std::vector<ReceivedPacket> packets;
    std::vector<std::vector<uint8_t>> units;
    bool fragmentsOk = true;
    bool openFragment = false;
    uint32_t Timestamp() const { return packets.front().timestamp; }
    int UnitType(size_t i) const { return units[i][0] & 0x1f; }
    bool IsKey() const;
};

// The client's end of a session's media: a UDP port on 127.0.0.1, or a TCP connection to the
// server port carrying RFC 4571 frames.
class CRtpReceiver {
public:
    CRtpReceiver();
    ~CRtpReceiver();
    CRtpReceiver(const CRtpReceiver&) = delete;
    CRtpReceiver& operator=(const CRtpReceiver&) = delete;

    int UdpPort() const;
    bool ConnectTcp(unsigned short serverPort);
    bool Next(ReceivedPacket& packet, int timeoutMs = 3000);
    // Reads packets up to and including the next marker bit.
    bool NextFrame(ReceivedFrame& frame, int timeoutMs = 3000);
    // Drops packets until none has come for quietMs; how many were dropped.
    int Drain(int quietMs);

private:
    bool ReadFramed(std::vector<uint8_t>& bytes, int timeoutMs);
    bool Fill(size_t size, int timeoutMs);
    static void AddToUnits(ReceivedFrame& frame, const ReceivedPacket& packet);

    SOCKET udp = 0;
    SOCKET tcp = 0;
    std::string pending;
};
