#include "FramePacer.h"

#include <gtest/gtest.h>

namespace {

const uint32_t kClock = 90000;
const uint32_t kTicksPerMs = kClock / 1000;
const DWORD kStart = 5000;

// A frame is due when its stream time has passed, at the rate chosen: the second frame comes
// laterByMs of stream time after the first and is due dueInMs after it. A live frame ahead of
// the schedule its first frame set is due at once, but only at the normal rate.
TEST(FramePacer, FrameIsDueWhenItsStreamTimeHasPassed)
{
    const struct { const char* name; bool live; int rateStep; uint32_t laterByMs; int dueInMs; } cases[] = {
        {"normal rate", false, 0, 40, 40},
        {"one step faster", false, 1, 40, 20},
        {"four steps faster", false, 4, 160, 10},
        {"one step slower, seconds apart", false, -1, 3000, 6000},
        {"four steps slower", false, -4, 40, 640},
        {"a jump in stream time is due at once", false, 0, 20000, 0},
        {"live at the normal rate", true, 0, 40, 0},
        {"live one step slower", true, -1, 40, 80},
    };
    for (const auto& c : cases) {
        CFramePacer pacer(kClock, c.live);
        for (int i = 0; i != c.rateStep; i += c.rateStep > 0 ? 1 : -1)
            ASSERT_TRUE(pacer.StepRate(c.rateStep > 0 ? 1 : -1, kStart)) << c.name;
        const uint32_t first = 123456;
        pacer.Admit(first, kStart);
        EXPECT_EQ(pacer.WaitMs(first, kStart), 0) << c.name;
        pacer.Shown(first);
        uint32_t second = first + c.laterByMs * kTicksPerMs;
        pacer.Admit(second, kStart);
        EXPECT_EQ(pacer.WaitMs(second, kStart), c.dueInMs) << c.name;
        EXPECT_EQ(pacer.WaitMs(second, kStart + 5), c.dueInMs - 5) << c.name;
    }
}

// Shown stream time in units of 64 ms, across the wrap of the timestamp; a seek moves it.
TEST(FramePacer, PlayedTimeIsThePositionSoSeeksMoveIt)
{
    CFramePacer pacer(kClock);
    uint32_t timestamp = 0xffffff00u;
    for (int frame = 0; frame < 26; ++frame, timestamp += 40 * kTicksPerMs)
        pacer.Shown(timestamp);
    EXPECT_EQ(pacer.PlayedMs(), 1000u);
    EXPECT_EQ(pacer.PlayedUnits(), 15u);
    pacer.Clear();
    pacer.Shown(1000);
    pacer.Shown(1000 + 640 * kTicksPerMs);
    EXPECT_EQ(pacer.PlayedUnits(), 10u);
    pacer.Restart(); // a seek to second 60
    pacer.Shown(1000 + 60000 * kTicksPerMs);
    EXPECT_EQ(pacer.PlayedMs(), 60000u);
    pacer.Restart(); // and back to second 1
    pacer.Shown(1000 + 1024 * kTicksPerMs);
    EXPECT_EQ(pacer.PlayedUnits(), 16u);
    pacer.Clear();
    EXPECT_EQ(pacer.PlayedUnits(), 0u);
    pacer.Shown(5000);
    EXPECT_EQ(pacer.PlayedUnits(), 0u) << "after a stop the next frame is the start";
}

TEST(FramePacer, ResumeContinuesFromTheLastShownFrame)
{
    CFramePacer pacer(kClock);
    pacer.Admit(0, kStart);
    pacer.Shown(0);
    pacer.Admit(40 * kTicksPerMs, kStart);
    // Paused for 10 seconds: the held frame is due 40 ms after the resume, not at once.
    pacer.Resume(kStart + 10000);
    EXPECT_EQ(pacer.WaitMs(40 * kTicksPerMs, kStart + 10000), 40);
}

TEST(FramePacer, FarBehindStartsAgainFromNow)
{
    CFramePacer pacer(kClock);
    pacer.Admit(0, kStart);
    pacer.Shown(0);
    DWORD late = kStart + 40 + CFramePacer::kMaxLagMs + 1;
    pacer.Admit(40 * kTicksPerMs, late);
    EXPECT_EQ(pacer.WaitMs(40 * kTicksPerMs, late), 0);
    pacer.Shown(40 * kTicksPerMs);
    pacer.Admit(80 * kTicksPerMs, late);
    EXPECT_EQ(pacer.WaitMs(80 * kTicksPerMs, late), 40);
}

} // namespace
