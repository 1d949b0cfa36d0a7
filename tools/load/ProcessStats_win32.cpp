#include "ProcessStats.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <vector>

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

// The system's handle list (SystemExtendedHandleInformation), one entry per open handle.
const auto kExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
const NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};

struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

// Wine answers GetProcessHandleCount with 0 whatever the process holds: there this process's
// entries in the system's list count its handles.
int HandlesInSystemList()
{
    std::vector<char> buffer(1 << 16);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(kExtendedHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const HandleList* list = reinterpret_cast<const HandleList*>(buffer.data());
    const ULONG_PTR self = GetCurrentProcessId();
    int count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->entries[i].processId == self ? 1 : 0;
    return count;
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
    if (!GetProcessHandleCount(GetCurrentProcess(), &count))
        return -1;
    return count != 0 ? static_cast<int>(count) : HandlesInSystemList();
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
