#pragma once

#include <cstdint>

// The stream header our decoder stand-in understands and the server simulator sends as the
// body of its SETUP reply: exactly 40 bytes, every field a little-endian 32-bit value.
struct LumoStreamHeader {
    static constexpr int kSize = 40;
    static constexpr char kMagic[5] = "LUMO";
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kCodecH264 = 1;
    // One RTP packet per block, as over UDP.
    static constexpr uint32_t kPackagingDatagrams = 0;
    // RTP packets each behind a 2-byte big-endian length (RFC 4571), as over TCP.
    static constexpr uint32_t kPackagingFramed = 1;

    uint32_t version = kVersion;
    uint32_t codec = kCodecH264;
    uint32_t packaging = kPackagingDatagrams;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t frameRate = 0;
    uint32_t clockRate = 90000;
    uint32_t durationMs = 0; // 0: a live stream

    // Writes the 40 bytes: magic, the eight fields in order, 4 zero bytes.
    void Write(unsigned char* out) const;
    // Reads 40 bytes; false when the length, magic, version or codec is not ours.
    bool Read(const unsigned char* in, int length);
};
