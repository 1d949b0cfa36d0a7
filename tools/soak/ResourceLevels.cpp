#include "ResourceLevels.h"

#include "ProcessStats.h"

#include <malloc.h>

namespace {
// Set by CMake: whether glibc's allocator serves the heap, as it does outside sanitizer builds.
constexpr bool kCountsHeap = SOAK_COUNTS_HEAP;
} // namespace

void CResourceLevels::UseOneHeapArena()
{
    if (kCountsHeap)
        mallopt(M_ARENA_MAX, 1);
}

CResourceLevels CResourceLevels::Now()
{
    CResourceLevels levels;
    levels.descriptors = CProcessStats::OpenHandleCount();
    levels.threads = CProcessStats::ThreadCount();
    levels.heapBytes = -1;
    if (kCountsHeap) {
        struct mallinfo2 heap = mallinfo2();
        // Small blocks from the arena, large ones mapped one by one.
        levels.heapBytes = static_cast<long long>(heap.uordblks + heap.hblkhd);
    }
    return levels;
}

std::string CResourceLevels::Describe() const
{
    std::string text = std::to_string(descriptors) + " descriptors, " + std::to_string(threads) + " threads";
    if (heapBytes >= 0)
        text += ", " + std::to_string(heapBytes) + " heap bytes in use";
    return text;
}
