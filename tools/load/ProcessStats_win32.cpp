#include "ProcessStats.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

namespace {

const double kFileTimeUnitsPerSecond = 1e7; // FILETIME counts in units of 100 ns

double Seconds(const FILETIME& time)
{
    unsigned long long units = static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
    return static_cast<double>(units) / kFileTimeUnitsPerSecond;
}

bool ReadMemoryCounters(PROCESS_MEMORY_COUNTERS& counters)
{
    return K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
}

} // namespace

double CProcessStats::CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return Seconds(kernel) + Seconds(user);
}

long CProcessStats::RssKib()
{
    PROCESS_MEMORY_COUNTERS counters{};
    return ReadMemoryCounters(counters) ? static_cast<long>(counters.WorkingSetSize / 1024) : -1;
}

long CProcessStats::PeakRssKib()
{
    PROCESS_MEMORY_COUNTERS counters{};
    return ReadMemoryCounters(counters) ? static_cast<long>(counters.PeakWorkingSetSize / 1024) : -1;
}

int CProcessStats::OpenHandleCount()
{
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<int>(count) : -1;
}

// The snapshot lists the threads of every process.
int CProcessStats::ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = GetCurrentProcessId();
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == self ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

long CProcessStats::CurrentThreadId()
{
    return static_cast<long>(GetCurrentThreadId());
}

// A thread that has ended and whose last handle is closed cannot be opened any more; one that
// has ended while some handle still holds it is signalled.
bool CProcessStats::ThreadExists(long threadId)
{
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(threadId));
    if (!thread)
        return false;
    bool running = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(thread);
    return running;
}
