#include "ProcessStats.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Entries of a /proc directory, without "." and ".." and without the descriptor that reading
// it holds open (it would show up in /proc/self/fd).
int CountEntries(const char* path)
{
    DIR* directory = opendir(path);
    if (!directory)
        return -1;
    const std::string own = std::to_string(dirfd(directory));
    int count = 0;
    while (const dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name != "." && name != ".." && name != own)
            ++count;
    }
    closedir(directory);
    return count;
}

} // namespace

double CProcessStats::CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

long CProcessStats::RssKib()
{
    long pages = 0;
    long residentPages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    int read = std::fscanf(statm, "%ld %ld", &pages, &residentPages);
    std::fclose(statm);
    return read == 2 ? residentPages * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

long CProcessStats::PeakRssKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int CProcessStats::OpenHandleCount()
{
    return CountEntries("/proc/self/fd");
}

int CProcessStats::ThreadCount()
{
    return CountEntries("/proc/self/task");
}

// The kernel's id, as /proc/self/task names it.
long CProcessStats::CurrentThreadId()
{
    return syscall(SYS_gettid);
}

bool CProcessStats::ThreadExists(long threadId)
{
    return access(("/proc/self/task/" + std::to_string(threadId)).c_str(), F_OK) == 0;
}
