#include "StreamCounter.h"

namespace {

const int kRtpHeaderSize = 12;
const int kRtpVersion = 2;
// A counter this far beyond the highest one seen is not the sender's: the video of the
// simulator carries a random 90 kHz timestamp, and one in 65536 of its packets has a sequence
// number that happens to match it. The first counter is measured from 0.
const long long kMaxCounterJump = 1LL << 24;

uint32_t ReadBigEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

// The counter of a packet of the load sender, or false when the chunk is no such packet.
bool ReadCounter(const unsigned char* data, int length, uint32_t& counter)
{
    if (length < kRtpHeaderSize || data[0] >> 6 != kRtpVersion)
        return false;
    uint32_t timestamp = ReadBigEndian32(data + 4);
    unsigned sequence = static_cast<unsigned>(data[2]) << 8 | data[3];
    if (sequence != (timestamp & 0xffff))
        return false;
    counter = timestamp;
    return true;
}

} // namespace

StreamFigures StreamFigures::Since(const StreamFigures& start) const
{
    StreamFigures window;
    window.chunks = chunks - start.chunks;
    window.bytes = bytes - start.bytes;
    window.sent = sent - start.sent;
    window.delivered = delivered - start.delivered;
    return window;
}

// Only this thread writes the figures: a load and a store, cheaper than an atomic increment,
// keep the counting out of the cost being measured.
void CStreamCounter::OnChunk(const unsigned char* data, int length)
{
    chunks.store(chunks.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    bytes.store(bytes.load(std::memory_order_relaxed) + length, std::memory_order_relaxed);
    uint32_t counter = 0;
    if (readsCounter && ReadCounter(data, length, counter))
        OnCounter(counter);
}

void CStreamCounter::OnCounter(uint32_t counter)
{
    long long sentSoFar = sent.load(std::memory_order_relaxed);
    if (counter >= sentSoFar + kMaxCounterJump)
        return;
    if (counter >= sentSoFar)
        sent.store(static_cast<long long>(counter) + 1, std::memory_order_relaxed);
    delivered.store(delivered.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

StreamFigures CStreamCounter::Read() const
{
    StreamFigures figures;
    figures.chunks = chunks.load(std::memory_order_relaxed);
    figures.bytes = bytes.load(std::memory_order_relaxed);
    figures.sent = sent.load(std::memory_order_relaxed);
    figures.delivered = delivered.load(std::memory_order_relaxed);
    return figures;
}
