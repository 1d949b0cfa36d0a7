#pragma once

#include "BlastPacket.h"
#include "MediaChannel.h"

#include <chrono>
#include <cstdint>

// Sends blaster packets through a media channel at an even rate. Each wake sends what is due
// since the (re)start, elapsed time x rate less what has gone since, so late wakes do not make
// the rate drift. Wakes come every 1 to 10 ms and carry a burst of about kMaxBurst packets or
// fewer: a burst of hundreds overflows a receive buffer of 200 KB and looks like loss at the
// receiver. The packets' counter starts at 0 and runs on across restarts.
class CPacedSender {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kUnlimited = -1; // as fast as the channel takes them
    static constexpr int kMaxRate = 10000000;
    static constexpr int kMaxBurst = 16;

    // rate in packets a second (0: none at all, kUnlimited); size as CBlastPacket takes it.
    CPacedSender(int rate, int size, uint32_t ssrc);

    // Counts the rate from now on, forgetting what a pause left unsent.
    void Restart(Clock::time_point now);
    // Sends what is due at now; false when the channel has failed.
    bool SendDue(CMediaChannel& channel, Clock::time_point now);
    // How long to wait after SendDue before calling it again.
    Clock::duration WakeInterval() const;
    // The packets due elapsed after a restart when sent have gone since: at most one burst.
    uint64_t Due(Clock::duration elapsed, uint64_t sent) const;
    // What went to the channel since construction (the packets it dropped on purpose included).
    uint64_t SentPackets() const { return sentPackets; }
    uint64_t SentBytes() const { return sentPackets * packetSize; }

private:
    uint64_t BurstLimit() const;

    const int rate;
    CBlastPacket packet;
    const uint64_t packetSize;
    Clock::time_point start;
    uint64_t sentSinceStart = 0;
    uint64_t sentPackets = 0; // also the next packet's counter
};
