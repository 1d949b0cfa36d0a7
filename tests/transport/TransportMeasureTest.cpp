// Measurements, not checks: run by hand with --gtest_also_run_disabled_tests. They print what
// they see and assert nothing about time.
#include "fakes/LoopbackSocket.h"
#include "fakes/ProcessProbe.h"
#include "fakes/WaitUntil.h"
#include "transport/WatchedWrapper.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

namespace {

CTransportWrapper* StartIdleUdp()
{
    TransportParams params{TransportUdp, 0, static_cast<unsigned short>(CLoopbackSocket::FreePort(SOCK_DGRAM)),
                           CLoopbackSocket::Address()};
    std::unique_ptr<CWatchedWrapper> wrapper(new CWatchedWrapper);
    if (wrapper->Initialize(1, nullptr, nullptr, nullptr, &params) != 0)
        return nullptr;
    return wrapper.release();
}

} // namespace

TEST(TransportMeasure, DISABLED_StopToFreedMedianOf50)
{
    std::vector<double> delays;
    // Stop lands at a random point of the thread's 5 ms wait, not in step with it.
    std::mt19937 random(1);
    std::uniform_int_distribution<int> phaseUs(0, 4999);
    for (int run = 0; run < 50; ++run) {
        CWatchedWrapper::ResetCount();
        CTransportWrapper* wrapper = StartIdleUdp();
        ASSERT_NE(nullptr, wrapper);
        std::this_thread::sleep_for(std::chrono::microseconds(20000 + phaseUs(random)));
        wrapper->Stop();
        auto stopped = std::chrono::steady_clock::now();
        ASSERT_TRUE(WaitUntil([] { return CWatchedWrapper::FreedCount() == 1; }));
        delays.push_back(std::chrono::duration<double, std::milli>(CWatchedWrapper::LastFreedAt() - stopped).count());
    }
    std::sort(delays.begin(), delays.end());
    printf("Stop to freed over %zu runs: median %.2f ms, min %.2f ms, max %.2f ms\n", delays.size(),
           (delays[24] + delays[25]) / 2, delays.front(), delays.back());
}

TEST(TransportMeasure, DISABLED_CpuOf100IdleReceiveThreadsOver10Seconds)
{
    std::vector<CTransportWrapper*> wrappers;
    for (int i = 0; i < 100; ++i) {
        wrappers.push_back(StartIdleUdp());
        ASSERT_NE(nullptr, wrappers.back());
    }
    CWatchedWrapper::ResetCount();
    long before = ProcessCpuMilliseconds();
    Sleep(10000);
    double used = double(ProcessCpuMilliseconds() - before) / 1000;
    printf("100 idle receive threads over 10 s: %.3f s CPU, %.1f %% of one core, %.3f %% per stream\n", used,
           used * 10, used / 10);
    for (CTransportWrapper* wrapper : wrappers)
        wrapper->Stop();
    EXPECT_TRUE(WaitUntil([] { return CWatchedWrapper::FreedCount() == 100; }));
}
