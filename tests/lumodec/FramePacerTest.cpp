#include "FramePacer.h"
#include "TestCaseName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint32_t kClock = 90000;
const uint32_t kTicksPerMs = kClock / 1000;
const DWORD kStart = 5000;

struct PaceCase {
    std::string name;
    int rateStep;
    uint32_t laterByMs; // stream time of the second frame after the first
    int dueInMs;        // when it is due, counted from the first
};

const PaceCase kPaces[] = {
    {"normal rate", 0, 40, 40},
    {"one step faster", 1, 40, 20},
    {"four steps faster", 4, 160, 10},
    {"one step slower", -1, 40, 80},
    {"four steps slower", -4, 40, 640},
    {"a jump in stream time is due at once", 0, 20000, 0},
};

class PaceTest : public ::testing::TestWithParam<PaceCase> {};

TEST_P(PaceTest, DueWhenItsStreamTimeHasPassed)
{
    CFramePacer pacer(kClock);
    for (int i = 0; i < GetParam().rateStep; ++i)
        ASSERT_TRUE(pacer.StepRate(1, kStart));
    for (int i = 0; i > GetParam().rateStep; --i)
        ASSERT_TRUE(pacer.StepRate(-1, kStart));
    const uint32_t first = 123456;
    pacer.Admit(first, kStart);
    EXPECT_EQ(pacer.WaitMs(first, kStart), 0);
    pacer.Shown(first);
    uint32_t second = first + GetParam().laterByMs * kTicksPerMs;
    pacer.Admit(second, kStart);
    EXPECT_EQ(pacer.WaitMs(second, kStart), GetParam().dueInMs);
    EXPECT_EQ(pacer.WaitMs(second, kStart + 5), GetParam().dueInMs - 5);
}

INSTANTIATE_TEST_SUITE_P(FramePacer, PaceTest, ::testing::ValuesIn(kPaces), CaseName<PaceCase>);

TEST(FramePacer, RateStaysWithinFourSteps)
{
    CFramePacer pacer(kClock);
    for (int i = 0; i < CFramePacer::kMaxRateStep; ++i)
        EXPECT_TRUE(pacer.StepRate(1, kStart));
    EXPECT_FALSE(pacer.StepRate(1, kStart));
    for (int i = 0; i < 2 * CFramePacer::kMaxRateStep; ++i)
        EXPECT_TRUE(pacer.StepRate(-1, kStart));
    EXPECT_FALSE(pacer.StepRate(-1, kStart));
}

TEST(FramePacer, PlayedTimeCountsShownStreamTimeIn64MsUnits)
{
    CFramePacer pacer(kClock);
    uint32_t timestamp = 0xffffff00u; // across the wrap of the timestamp
    for (int frame = 0; frame < 26; ++frame, timestamp += 40 * kTicksPerMs)
        pacer.Shown(timestamp);
    EXPECT_EQ(pacer.PlayedMs(), 1000u);
    EXPECT_EQ(pacer.PlayedUnits(), 15u);
}

TEST(FramePacer, PlayedTimeIsThePositionSoSeeksMoveIt)
{
    CFramePacer pacer(kClock);
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
