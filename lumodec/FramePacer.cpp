#include "FramePacer.h"

void CFramePacer::Anchor(uint32_t timestamp, DWORD now)
{
    anchored = true;
    anchorTime = timestamp;
    anchorTick = now;
}

// Stream ticks as wall milliseconds at the current rate.
int64_t CFramePacer::ScaledMs(uint32_t ticks) const
{
    uint64_t ms = static_cast<uint64_t>(ticks) * 1000 / clockRate;
    return static_cast<int64_t>(rateStep >= 0 ? ms >> rateStep : ms << -rateStep);
}

// Whether a frame at "to" follows one at "from" as an ordinary step forward.
bool CFramePacer::IsStep(uint32_t from, uint32_t to) const
{
    uint32_t ticks = to - from;
    return ticks < 0x80000000u && static_cast<uint64_t>(ticks) * 1000 <= static_cast<uint64_t>(kMaxStepMs) * clockRate;
}

// A live frame at the normal rate is never held back: one that would wait moves the anchor to
// itself. The anchor is taken when a frame has been decoded, and the first frame shown, a key
// frame, decodes slower than those after it (or came late, at a busy start): any allowance to
// wait would hold every later frame back by that much.
void CFramePacer::Admit(uint32_t timestamp, DWORD now)
{
    if (!anchored || !IsStep(anchorTime, timestamp))
        Anchor(timestamp, now);
    int wait = WaitMs(timestamp, now);
    if (wait < -kMaxLagMs || (live && rateStep == 0 && wait > 0))
        Anchor(timestamp, now);
}

int CFramePacer::WaitMs(uint32_t timestamp, DWORD now) const
{
    // Behind the anchor (the anchor moved on after the frame was admitted): due now.
    if (!IsStep(anchorTime, timestamp))
        return 0;
    int64_t dueIn = ScaledMs(timestamp - anchorTime) - static_cast<int32_t>(now - anchorTick);
    return static_cast<int>(dueIn);
}

// The played time is the position in the stream: how far the frame lies from the first one
// shown since the start. A seek therefore moves it, as the host that seeks to a second expects.
void CFramePacer::Shown(uint32_t timestamp)
{
    if (!haveFirst) {
        firstShown = timestamp;
        haveFirst = true;
    }
    playedTicks = static_cast<uint32_t>(timestamp - firstShown);
    haveShown = true;
    lastShown = timestamp;
}

bool CFramePacer::StepRate(int step, DWORD now)
{
    int next = rateStep + step;
    if (next < -kMaxRateStep || next > kMaxRateStep)
        return false;
    rateStep = next;
    Resume(now);
    return true;
}

void CFramePacer::Resume(DWORD now)
{
    if (anchored)
        Anchor(haveShown ? lastShown : anchorTime, now);
}

void CFramePacer::Restart()
{
    anchored = false;
    haveShown = false;
}

void CFramePacer::Clear()
{
    Restart();
    rateStep = 0;
    haveFirst = false;
    playedTicks = 0;
}

uint32_t CFramePacer::PlayedMs() const
{
    return static_cast<uint32_t>(playedTicks * 1000 / clockRate);
}
