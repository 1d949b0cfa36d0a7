#pragma once

#include "TestEncoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Turns access units into what a server sends: RTP packets (single NAL units, and FU-A for NAL
// units longer than the payload limit), and those packets framed for TCP (RFC 4571).
class CTestPacketizer {
public:
    static constexpr int kPayloadType = 96;

    explicit CTestPacketizer(size_t maxPayload) : maxPayload(maxPayload) {}

    // The packets of one access unit; the last carries the marker bit.
    std::vector<Bytes> Packetize(const Bytes& unit, uint32_t timestamp);
    // The packets of a whole video, a frame every ticksPerFrame.
    std::vector<Bytes> PacketizeAll(const std::vector<Bytes>& units, uint32_t ticksPerFrame);

    static Bytes Rtp(uint16_t sequence, uint32_t timestamp, bool marker, const Bytes& payload);
    // Every packet behind its 2-byte big-endian length, as one byte stream.
    static Bytes Framed(const std::vector<Bytes>& packets);
    // The NAL units of an Annex-B access unit, without their start codes.
    static std::vector<Bytes> NalUnits(const Bytes& unit);
    // The byte stream cut into pieces of the sizes given, the last size repeated to the end.
    static std::vector<Bytes> Split(const Bytes& stream, const std::vector<size_t>& sizes);
    // The byte stream read in pieces of one size, less the bytes from..to, as when a read is lost.
    static std::vector<Bytes> SplitWithLoss(const Bytes& stream, size_t from, size_t to, size_t size);

private:
    void AddFragments(const Bytes& nal, uint32_t timestamp, std::vector<Bytes>* packets);

    size_t maxPayload;
    uint16_t sequence = 1000;
};
