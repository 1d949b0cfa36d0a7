#pragma once

#include "TestEncoder.h"

#include <cstddef>
#include <cstdint>

// What a server sends of a video: the simulator's RTP packets, a frame every ticksPerFrame.
std::vector<Bytes> Packetize(const std::vector<Bytes>& units, uint32_t ticksPerFrame);
// One RTP packet of payload type 96, written out here so that tests may damage it.
Bytes Rtp(uint16_t sequence, uint32_t timestamp, bool marker, const Bytes& payload);
// Every packet behind its 2-byte big-endian length, as one byte stream (RFC 4571, as over TCP).
Bytes Framed(const std::vector<Bytes>& packets);
// The byte stream cut into pieces of the sizes given, the last size repeated to the end.
std::vector<Bytes> Split(const Bytes& stream, const std::vector<size_t>& sizes);
// The byte stream read in pieces of one size, less the bytes from..to, as when a read is lost.
std::vector<Bytes> SplitWithLoss(const Bytes& stream, size_t from, size_t to, size_t size);
