#pragma once

#include <atomic>
#include <cstdint>

// What one stream has delivered up to a moment, or within a window (the difference of two).
struct StreamFigures {
    long long chunks = 0;
    long long bytes = 0;
    // Counted packets only: how many the sender had sent (its highest counter seen + 1) and
    // how many of them arrived.
    long long sent = 0;
    long long delivered = 0;

    StreamFigures Since(const StreamFigures& start) const;
};

// Counts what the data callback of one stream receives. Over UDP each chunk is one packet of
// the load sender, whose RTP timestamp is a counter from 0 (sequence = counter & 0xffff): the
// highest counter seen tells how many were sent, so the loss can be known. TCP reads cut the
// byte stream anywhere; those are only counted.
//
// One thread (the stream's receive thread) calls OnChunk; any thread may Read.
class CStreamCounter {
public:
    explicit CStreamCounter(bool packetsCarryCounter) : readsCounter(packetsCarryCounter) {}

    void OnChunk(const unsigned char* data, int length);
    // The four figures are read one by one while chunks arrive: they may disagree by a packet.
    StreamFigures Read() const;
    bool CountsLoss() const { return readsCounter; }

private:
    void OnCounter(uint32_t counter);

    const bool readsCounter;
    std::atomic<long long> chunks{0};
    std::atomic<long long> bytes{0};
    std::atomic<long long> sent{0};
    std::atomic<long long> delivered{0};
};
