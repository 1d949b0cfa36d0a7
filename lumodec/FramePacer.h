#pragma once

#include "platform/platform.h"

#include <cstdint>

// When each frame of a stream is due on the screen, from its RTP timestamp, and how much stream
// time has been shown. The clock is anchored at a frame: a later frame is due when as much wall
// time has passed, at the rate, as stream time lies between the two. Not locked: its owner
// serialises the calls.
class CFramePacer {
public:
    // Rate steps: each one doubles (or halves) the pace, up to this many either way.
    static constexpr int kMaxRateStep = 4;
    // The played time counts in units of 64 ms.
    static constexpr unsigned kPlayedTimeUnitMs = 64;
    // A larger step in stream time is a discontinuity (a seek, a new source), not a wait.
    static constexpr unsigned kMaxStepMs = 10000;
    // A display this far behind its schedule starts again from now rather than race to catch up.
    static constexpr int kMaxLagMs = 1000;

    // A live stream is shown as it arrives; a file's frames keep their spacing.
    explicit CFramePacer(uint32_t clockRate, bool live = false) : clockRate(clockRate), live(live) {}

    // Takes a frame into the schedule; the first one, and one after a discontinuity or a long
    // stall, is due at once.
    void Admit(uint32_t timestamp, DWORD now);
    // Milliseconds until an admitted frame is due; 0 or less when it is due.
    int WaitMs(uint32_t timestamp, DWORD now) const;
    // Counts the frame as shown: the played time becomes its distance from the first frame.
    void Shown(uint32_t timestamp);
    // One step faster (+1) or slower (-1); false past the last step.
    bool StepRate(int step, DWORD now);
    // Continues after a pause or a rate change from the last frame shown, now.
    void Resume(DWORD now);
    // The source starts again (after a seek): the next frame is due at once.
    void Restart();
    // Back to the start: no played time, normal rate.
    void Clear();

    // The position of the last frame shown, in milliseconds and in 64 ms units.
    uint32_t PlayedMs() const;
    unsigned PlayedUnits() const { return PlayedMs() / kPlayedTimeUnitMs; }

private:
    void Anchor(uint32_t timestamp, DWORD now);
    int64_t ScaledMs(uint32_t ticks) const;
    bool IsStep(uint32_t from, uint32_t to) const;

    uint32_t clockRate;
    bool live;
    int rateStep = 0;
    bool anchored = false;
    uint32_t anchorTime = 0;
    DWORD anchorTick = 0;
    bool haveShown = false;
    uint32_t lastShown = 0;
    bool haveFirst = false;
    uint32_t firstShown = 0;
    uint64_t playedTicks = 0;
};
