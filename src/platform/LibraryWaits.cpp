#include "platform/LibraryWaits.h"

#include <atomic>

namespace {
constexpr DWORD kShipped[CLibraryWaits::kWaitCount] = {8000, 3000, 4000, 3000, 4000, 200, 20, 10};

// A test's length for each wait, 0 for the shipped one. Atomic: a thread of a stopped player may
// still read a wait while a test restores it.
std::atomic<DWORD> shortened[CLibraryWaits::kWaitCount] = {};
} // namespace

DWORD CLibraryWaits::Ms(Wait wait)
{
    DWORD milliseconds = shortened[wait].load(std::memory_order_relaxed);
    return milliseconds ? milliseconds : kShipped[wait];
}

void CLibraryWaits::Set(Wait wait, DWORD milliseconds)
{
    shortened[wait].store(milliseconds, std::memory_order_relaxed);
}

void CLibraryWaits::Restore()
{
    for (std::atomic<DWORD>& milliseconds : shortened)
        milliseconds.store(0, std::memory_order_relaxed);
}
