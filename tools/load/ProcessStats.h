#pragma once

// What this process uses, as Linux shows it in getrusage and /proc/self (the reason the load
// tool is built on Linux only).
class CProcessStats {
public:
    // User plus system CPU time of all threads so far.
    static double CpuSeconds();
    // Resident memory now, and the most it has been.
    static long RssKib();
    static long PeakRssKib();
    static int OpenFdCount();
    static int ThreadCount();
    // The kernel's id of the calling thread, as /proc/self/task names it.
    static long CurrentThreadId();
    static bool ThreadExists(long threadId);
};
