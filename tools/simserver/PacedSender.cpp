#include "PacedSender.h"

#include <algorithm>

namespace {

using std::chrono::nanoseconds;

const nanoseconds kShortestWake = std::chrono::milliseconds(1);
const nanoseconds kLongestWake = std::chrono::milliseconds(10);
// A session at rate 0 sends nothing and has no reason to wake.
const nanoseconds kIdleWake = std::chrono::hours(1);
const int64_t kNanosPerSecond = 1000000000;

// Packets due at the rate in the time; exact and without overflow for days at kMaxRate.
uint64_t PacketsIn(nanoseconds time, int rate)
{
    int64_t count = time.count();
    return uint64_t(count / kNanosPerSecond) * rate + uint64_t(count % kNanosPerSecond) * rate / kNanosPerSecond;
}

} // namespace

CPacedSender::CPacedSender(int rate, int size, uint32_t ssrc)
    : rate(rate), packet(size, ssrc), packetSize(packet.At(0).size())
{
}

void CPacedSender::Restart(Clock::time_point now)
{
    start = now;
    sentSinceStart = 0;
}

bool CPacedSender::SendDue(CMediaChannel& channel, Clock::time_point now)
{
    for (uint64_t due = Due(now - start, sentSinceStart); due > 0; --due) {
        if (!channel.Send(packet.At(static_cast<uint32_t>(sentPackets))))
            return false;
        ++sentPackets;
        ++sentSinceStart;
    }
    return true;
}

// About half a burst a wake, so that a late wake still fits within one.
CPacedSender::Clock::duration CPacedSender::WakeInterval() const
{
    if (rate == kUnlimited)
        return Clock::duration::zero();
    if (rate == 0)
        return kIdleWake;
    nanoseconds halfBurst(kNanosPerSecond * kMaxBurst / 2 / rate);
    return std::min(std::max(halfBurst, kShortestWake), kLongestWake);
}

uint64_t CPacedSender::Due(Clock::duration elapsed, uint64_t sent) const
{
    if (rate == kUnlimited)
        return kMaxBurst;
    if (elapsed <= Clock::duration::zero())
        return 0;
    uint64_t owed = PacketsIn(std::chrono::duration_cast<nanoseconds>(elapsed), rate);
    return owed > sent ? std::min(owed - sent, BurstLimit()) : 0;
}

// Above kMaxBurst / 2 packets a millisecond the shortest wake carries more than a burst; two
// wakes' worth still lets a late sender catch up.
uint64_t CPacedSender::BurstLimit() const
{
    return std::max<uint64_t>(kMaxBurst, 2 * PacketsIn(WakeInterval(), rate));
}
