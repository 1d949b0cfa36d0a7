#include "CpuMeter.h"

void CCpuMeter::Restart()
{
    cpuStart = std::clock();
    wallStart = std::chrono::steady_clock::now();
}

double CCpuMeter::WallSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
}

double CCpuMeter::CpuSeconds() const
{
    return static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
}
