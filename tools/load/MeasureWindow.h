#pragma once

#include "StreamCounter.h"

#include <vector>

// The playing window over which the load is measured: what each stream delivered in it and
// the CPU the whole process spent in it. Each step is announced on stderr as it happens, for a
// watcher outside (bench/compare_windows.py adds the Wine server's CPU over the same window).
class CMeasureWindow {
public:
    // The counters must outlive the window.
    explicit CMeasureWindow(std::vector<const CStreamCounter*> streamCounters);

    // Waits until every stream has delivered a chunk, or the time is up; false then. A stream
    // flowing when the window opens has its loss counted from the sender's counter at that
    // moment, not from 0, so a sender that began before the receiver does not count as loss.
    bool WaitForFirstChunks(double timeoutSeconds) const;
    // Starts the window, waits the given time, ends it.
    void Measure(int seconds);

    double Seconds() const { return seconds; }
    double CpuSeconds() const { return cpuSeconds; }
    // Per stream, in the order given.
    const std::vector<StreamFigures>& Figures() const { return figures; }

private:
    std::vector<StreamFigures> ReadAll() const;

    std::vector<const CStreamCounter*> counters;
    std::vector<StreamFigures> figures;
    double seconds = 0;
    double cpuSeconds = 0;
};
