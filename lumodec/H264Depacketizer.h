#pragma once

#include "ByteBuffer.h"

#include <cstddef>
#include <cstdint>

// One H.264 access unit in Annex-B form (every NAL unit behind a 4-byte start code).
struct H264AccessUnit {
    const unsigned char* data = nullptr;
    size_t size = 0;
    uint32_t timestamp = 0;
};

// Rebuilds H.264 access units from RTP packets (RFC 6184: single NAL units, STAP-A, FU-A). An
// access unit ends with the marker bit or when the timestamp changes. After a sequence gap, a
// broken fragment or an access unit too large to hold, everything is dropped until the next
// key frame (an access unit with an IDR slice), since the frames between would only decode
// into damaged pictures; a new stream starts the same way.
class CH264Depacketizer {
public:
    explicit CH264Depacketizer(size_t maxAccessUnit);

    // Takes one RTP packet; malformed ones are ignored. Take every ready access unit first.
    void Push(const unsigned char* packet, int length);
    // The next complete access unit, valid until the next Push or Reset; false when none.
    bool Take(H264AccessUnit* unit);
    // Forgets all and waits for a key frame, as for a new stream.
    void Reset();

private:
    bool AcceptSequence(uint16_t sequence);
    bool AddPayload(const unsigned char* payload, int length);
    bool AddNalUnit(const unsigned char* nal, int length);
    bool AddAggregate(const unsigned char* payload, int length);
    bool AddFragment(const unsigned char* payload, int length);
    bool AddNalStart(unsigned char header);
    void Damage();
    void Finish();

    CByteBuffer assembly;
    CByteBuffer ready;
    uint32_t assemblyTime = 0;
    uint32_t readyTime = 0;
    bool assemblyStarted = false;
    bool assemblyDone = false;
    bool assemblyDamaged = false;
    bool assemblyHasIdr = false;
    bool inFragment = false;
    bool haveReady = false;
    bool waitingForKey = true;
    bool haveSequence = false;
    uint16_t expectedSequence = 0;
};
