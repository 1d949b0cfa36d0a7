#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Watches every export call of the soak: counts calls and results per export, keeps the slowest
// of each, collects broken promises of the interface, and reports from a thread of its own any
// call that runs longer than it may.
//
// A call may take its own worst case plus the worst cases of the calls on the same player id it
// may have to wait for: those in progress when it began and, because the slot lock does not
// serve waiters in order, those that begin while it waits. Past that bound it waits for
// something that will not come: a deadlock or a lost wake-up.
class CCallMonitor {
public:
    // On top of every bound: threads of a loaded two-core machine under a sanitizer can wait
    // this long for the processor.
    static constexpr int kSlackMs = 3000;

    CCallMonitor() = default;
    ~CCallMonitor();
    CCallMonitor(const CCallMonitor&) = delete;
    CCallMonitor& operator=(const CCallMonitor&) = delete;

    void StartWatchdog();
    void StopWatchdog();

    // Runs call() as the export prefix + name on the id; worstMs is what it may take by itself.
    template <typename Call>
    int Watch(const char* prefix, const char* name, int id, int worstMs, Call call)
    {
        long token = Begin(prefix, name, id, worstMs);
        int result = call();
        End(token, result);
        return result;
    }

    // A result or callback the interface does not allow: printed at once, fails the run.
    void Fail(const std::string& what);
    // Fails the run with "prefix+name(id) returned result: documented" unless ok.
    void Expect(bool ok, const char* prefix, const char* name, int id, int result, const char* documented);
    bool Failed() const;
    // Whether a call still running has run past its bound: its thread may never come back.
    bool Overdue() const;
    // Counts an event for the summary (a callback, a file written, a debug line).
    void Count(const std::string& what, long times = 1);
    void PrintSummary(FILE* out) const;

private:
    using Clock = std::chrono::steady_clock;

    struct InFlight {
        long token;
        const char* prefix;
        const char* name;
        int id;
        Clock::time_point start;
        int ownMs;
        long boundMs;
        bool reported;
    };
    struct Tally {
        long calls = 0;
        long varosCalls = 0;
        std::map<int, long> results;
        long slowestMs = 0;
        int slowestId = 0;
    };

    long Begin(const char* prefix, const char* name, int id, int worstMs);
    void End(long token, int result);
    void WatchLoop();
    // Reports the call if it has run past its bound; the lock is held.
    void CheckBound(InFlight& call, Clock::time_point now);
    std::string DescribeId(int id) const;
    static std::string ExportName(const InFlight& call);
    void FailLocked(const std::string& what);
    static bool SlotId(int id);
    static std::string Results(const std::map<int, long>& results);

    mutable std::mutex lock;
    std::vector<InFlight> inFlight;
    long nextToken = 0;
    std::map<std::string, Tally> tallies;
    std::map<std::string, long> events;
    std::vector<std::string> failures;
    long failureCount = 0;

    std::condition_variable wake;
    bool stopping = false;
    std::thread watchdog;
};
