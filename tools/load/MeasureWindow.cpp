#include "MeasureWindow.h"

#include "ProcessStats.h"
#include "Stopwatch.h"

#include <chrono>
#include <cstdio>
#include <thread>

CMeasureWindow::CMeasureWindow(std::vector<const CStreamCounter*> streamCounters) : counters(std::move(streamCounters))
{
}

namespace {

const auto kFirstChunkPollStep = std::chrono::milliseconds(1);

// A progress line on stderr, at once: a watcher outside waits for it (a sender to start, or
// the window, over which it reads what the process cannot count itself, such as the Wine
// server's CPU).
void Announce(const char* what)
{
    std::fprintf(stderr, "streamclient-load: %s\n", what);
    std::fflush(stderr);
}

} // namespace

bool CMeasureWindow::WaitForFirstChunks(double timeoutSeconds) const
{
    Announce("waiting for the first chunks");
    CStopwatch wait;
    for (const CStreamCounter* counter : counters) {
        while (counter->Read().chunks == 0) {
            if (wait.ElapsedSeconds() > timeoutSeconds)
                return false;
            std::this_thread::sleep_for(kFirstChunkPollStep);
        }
    }
    return true;
}

void CMeasureWindow::Measure(int windowSeconds)
{
    Announce("window open");
    std::vector<StreamFigures> start = ReadAll();
    double cpuStart = CProcessStats::CpuSeconds();
    CStopwatch window;
    std::this_thread::sleep_for(std::chrono::seconds(windowSeconds));
    std::vector<StreamFigures> end = ReadAll();
    cpuSeconds = CProcessStats::CpuSeconds() - cpuStart;
    seconds = window.ElapsedSeconds();
    Announce("window closed");
    figures.clear();
    for (size_t i = 0; i < end.size(); ++i)
        figures.push_back(end[i].Since(start[i]));
}

std::vector<StreamFigures> CMeasureWindow::ReadAll() const
{
    std::vector<StreamFigures> all;
    for (const CStreamCounter* counter : counters)
        all.push_back(counter->Read());
    return all;
}
