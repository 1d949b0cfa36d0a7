#pragma once

// What this process uses, as the system counts it. CMake compiles the form for the system:
// ProcessStats_posix.cpp (getrusage and /proc/self, so Linux) or ProcessStats_win32.cpp.
class CProcessStats {
public:
    // User plus system CPU time of all threads so far.
    static double CpuSeconds();
    // Resident memory (the working set on Windows) now, and the most it has been.
    static long RssKib();
    static long PeakRssKib();
    // Open descriptors (POSIX) or handles (Windows).
    static int OpenHandleCount();
    static int ThreadCount();
    // The system's id of the calling thread.
    static long CurrentThreadId();
    // Whether the thread of that id is still running.
    static bool ThreadExists(long threadId);
};
