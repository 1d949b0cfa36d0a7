#include "fakes/ProcessProbe.h"

#include <windows.h>

namespace {

// FILETIME counts in units of 100 ns.
long long Hundreds(const FILETIME& time)
{
    return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

int OpenHandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<int>(count);
}

long ProcessCpuMilliseconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return static_cast<long>((Hundreds(kernel) + Hundreds(user)) / 10000);
}
