#include "fakes/ProcessProbe.h"

#include <dirent.h>
#include <sys/resource.h>

namespace {

// Entries of a directory, "." and ".." included: only differences between two counts matter.
int EntryCount(const char* path)
{
    int count = 0;
    DIR* directory = opendir(path);
    if (!directory)
        return -1;
    while (readdir(directory))
        ++count;
    closedir(directory);
    return count;
}

} // namespace

int OpenHandleCount()
{
    return EntryCount("/proc/self/fd");
}

int ThreadCount()
{
    return EntryCount("/proc/self/task");
}

long ProcessCpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}
