#pragma once

#include "RtpPacketizer.h"

#include <string>
#include <vector>

// A recorded RTP video stream, as the bench captures it: a file of RTP packets, each behind a
// 2-byte big-endian length (the framing of RFC 4571), grouped here into frames that end with the
// marker bit. Packets after the last marker are an unfinished frame and are left out.
class CRtpRecording {
public:
    using Frame = std::vector<RtpPacket>;

    // False with a reason in error: unreadable, cut inside a packet, a packet that is not RTP
    // version 2, or no whole frame.
    bool Load(const std::string& path, std::string& error);
    // Reads the file's bytes; the same checks as Load.
    bool Parse(const std::vector<uint8_t>& bytes, std::string& error);

    const std::vector<Frame>& Frames() const { return frames; }

private:
    std::vector<Frame> frames;
};
