#pragma once

#include <chrono>
#include <ctime>

// The process's CPU time against the wall clock since construction or Restart. std::clock counts
// the CPU time of all the process's threads on Linux; on Windows it counts wall time, which is
// why the tools that use this are built for Linux only.
class CCpuMeter {
public:
    CCpuMeter() { Restart(); }

    void Restart();
    double WallSeconds() const;
    double CpuSeconds() const;
    // CPU time in percent of one core over the wall time.
    double CorePercent() const { return 100 * CpuSeconds() / WallSeconds(); }

private:
    std::clock_t cpuStart = 0;
    std::chrono::steady_clock::time_point wallStart;
};
