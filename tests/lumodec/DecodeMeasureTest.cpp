// Measurement, not a check: run by hand with
//   lumodec_tests --gtest_also_run_disabled_tests --gtest_filter='DecodeMeasure.*'
#include "TestPort.h"
#include "TestStream.h"
#include "fakes/WaitUntil.h"
#include "player/lumodec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

std::atomic<int> shown{0};

void LUMO_CALL CountFrame(int, const unsigned char*, int, int, int, int, int, int)
{
    shown.fetch_add(1);
}

// CPU time of the process (std::clock) while one 640x360 stream at 25 frames a second is fed in
// real time, decoded and shown; the video is encoded beforehand and not counted.
TEST(DecodeMeasure, DISABLED_CpuPerStream640x360At25Fps)
{
    const int seconds = 20;
    const int fps = 25;
    TestVideoSpec clip;
    clip.width = 640;
    clip.height = 360;
    clip.frames = seconds * fps;
    clip.keyInterval = 50;
    clip.moving = true;
    clip.bitRate = 1000000;
    std::vector<Bytes> units;
    ASSERT_TRUE(CTestEncoder::Encode(clip, &units));
    CTestPacketizer packetizer(1400);
    std::vector<std::vector<Bytes>> frames;
    size_t bytes = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        frames.push_back(packetizer.Packetize(units[i], static_cast<uint32_t>(i * 90000 / fps)));
        bytes += units[i].size();
    }
    CTestPort stream;
    ASSERT_NE(Lumo_SetDisplayCallBack(stream.Port(), CountFrame), 0);
    ASSERT_NE(Lumo_Play(stream.Port(), nullptr), 0);
    std::clock_t cpuStart = std::clock();
    auto wallStart = std::chrono::steady_clock::now();
    for (size_t i = 0; i < frames.size(); ++i) {
        auto due = wallStart + std::chrono::milliseconds(1000 * i / fps);
        while (std::chrono::steady_clock::now() < due)
            Sleep(1);
        ASSERT_TRUE(stream.Feed(frames[i]));
    }
    WaitUntil([&] { return shown.load() == clip.frames; }, 5000);
    double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    printf("%d of %d frames shown, %.0f kbit/s; CPU %.0f ms in %.0f ms: %.1f %% of one core\n", shown.load(),
           clip.frames, 8.0 * bytes / seconds / 1000, cpuMs, wallMs, 100.0 * cpuMs / wallMs);
}

} // namespace
