#include "CallMonitor.h"

#include <algorithm>
#include <cstring>

namespace {

const int kWatchPeriodMs = 100;
// Failures kept for the summary; all are printed as they happen.
const size_t kKeptFailures = 20;
const char kVarosPrefix[] = "VAROS_";
// A results column longer than this is cut: ids and header lengths take many values.
const size_t kShownResults = 8;

long MillisecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

std::string Seconds(long ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

} // namespace

CCallMonitor::~CCallMonitor()
{
    StopWatchdog();
}

void CCallMonitor::StartWatchdog()
{
    std::lock_guard<std::mutex> guard(lock);
    stopping = false;
    watchdog = std::thread(&CCallMonitor::WatchLoop, this);
}

void CCallMonitor::StopWatchdog()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (watchdog.joinable())
        watchdog.join();
}

bool CCallMonitor::SlotId(int id)
{
    return id >= 0 && id < 100;
}

long CCallMonitor::Begin(const char* prefix, const char* name, int id, int worstMs)
{
    std::lock_guard<std::mutex> guard(lock);
    Tally& tally = tallies[name];
    ++tally.calls;
    if (std::strcmp(prefix, kVarosPrefix) == 0)
        ++tally.varosCalls;
    long bound = worstMs;
    for (InFlight& other : inFlight) {
        if (!SlotId(id) || other.id != id)
            continue;
        // Either may go first at the slot lock.
        bound += other.ownMs;
        other.boundMs += worstMs;
    }
    inFlight.push_back({nextToken, prefix, name, id, Clock::now(), worstMs, bound, false});
    return nextToken++;
}

void CCallMonitor::End(long token, int result)
{
    std::lock_guard<std::mutex> guard(lock);
    Clock::time_point now = Clock::now();
    auto call = std::find_if(inFlight.begin(), inFlight.end(), [token](const InFlight& c) { return c.token == token; });
    if (call == inFlight.end())
        return;
    CheckBound(*call, now);
    long elapsed = MillisecondsBetween(call->start, now);
    Tally& tally = tallies[call->name];
    ++tally.results[result];
    if (elapsed > tally.slowestMs) {
        tally.slowestMs = elapsed;
        tally.slowestId = call->id;
    }
    inFlight.erase(call);
}

void CCallMonitor::CheckBound(InFlight& call, Clock::time_point now)
{
    long elapsed = MillisecondsBetween(call.start, now);
    if (call.reported || elapsed <= call.boundMs + kSlackMs)
        return;
    call.reported = true;
    FailLocked(ExportName(call) + "(" + std::to_string(call.id) + ") has run " + Seconds(elapsed) +
               ", over its bound of " + Seconds(call.boundMs) + " + " + Seconds(kSlackMs) + " slack; calls on id " +
               std::to_string(call.id) + " now: " + DescribeId(call.id));
}

std::string CCallMonitor::DescribeId(int id) const
{
    std::string text;
    Clock::time_point now = Clock::now();
    for (const InFlight& call : inFlight) {
        if (call.id != id)
            continue;
        long elapsed = MillisecondsBetween(call.start, now);
        text += (text.empty() ? "" : ", ") + ExportName(call) + " for " + Seconds(elapsed);
    }
    return text;
}

std::string CCallMonitor::ExportName(const InFlight& call)
{
    return std::string(call.prefix) + call.name;
}

void CCallMonitor::WatchLoop()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        wake.wait_for(guard, std::chrono::milliseconds(kWatchPeriodMs));
        Clock::time_point now = Clock::now();
        for (InFlight& call : inFlight)
            CheckBound(call, now);
    }
}

void CCallMonitor::Fail(const std::string& what)
{
    std::lock_guard<std::mutex> guard(lock);
    FailLocked(what);
}

void CCallMonitor::FailLocked(const std::string& what)
{
    std::fprintf(stderr, "soak: FAILURE: %s\n", what.c_str());
    ++failureCount;
    if (failures.size() < kKeptFailures)
        failures.push_back(what);
}

void CCallMonitor::Expect(bool ok, const char* prefix, const char* name, int id, int result, const char* documented)
{
    if (!ok)
        Fail(std::string(prefix) + name + "(" + std::to_string(id) + ") returned " + std::to_string(result) +
             "; documented: " + documented);
}

bool CCallMonitor::Failed() const
{
    std::lock_guard<std::mutex> guard(lock);
    return failureCount > 0;
}

bool CCallMonitor::Overdue() const
{
    std::lock_guard<std::mutex> guard(lock);
    return std::any_of(inFlight.begin(), inFlight.end(), [](const InFlight& call) { return call.reported; });
}

void CCallMonitor::Count(const std::string& what, long times)
{
    std::lock_guard<std::mutex> guard(lock);
    events[what] += times;
}

// "-1 x12, 0 x3"; past a few values only their range and total.
std::string CCallMonitor::Results(const std::map<int, long>& results)
{
    std::string text;
    size_t shown = 0;
    long restCount = 0;
    int restLow = 0, restHigh = 0;
    for (const auto& entry : results) {
        if (shown < kShownResults) {
            text += std::to_string(entry.first) + " x" + std::to_string(entry.second) + "  ";
            ++shown;
            continue;
        }
        if (restCount == 0)
            restLow = entry.first;
        restHigh = entry.first;
        restCount += entry.second;
    }
    if (restCount > 0)
        text += std::to_string(restLow) + ".." + std::to_string(restHigh) + " x" + std::to_string(restCount);
    return text;
}

void CCallMonitor::PrintSummary(FILE* out) const
{
    std::lock_guard<std::mutex> guard(lock);
    std::fprintf(out, "%-20s %8s %7s %14s  %s\n", "export", "calls", "VAROS_", "slowest (id)", "results");
    for (const auto& entry : tallies) {
        const Tally& t = entry.second;
        std::string slowest = Seconds(t.slowestMs) + " (" + std::to_string(t.slowestId) + ")";
        std::fprintf(out, "%-20s %8ld %7ld %14s  %s\n", entry.first.c_str(), t.calls, t.varosCalls, slowest.c_str(),
                     Results(t.results).c_str());
    }
    std::fprintf(out, "events:\n");
    for (const auto& entry : events)
        std::fprintf(out, "  %8ld  %s\n", entry.second, entry.first.c_str());
    if (failureCount == 0)
        return;
    std::fprintf(out, "%ld failures, the first %zu:\n", failureCount, failures.size());
    for (const std::string& failure : failures)
        std::fprintf(out, "  %s\n", failure.c_str());
}
