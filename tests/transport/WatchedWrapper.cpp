#include "transport/WatchedWrapper.h"

std::atomic<int> CWatchedWrapper::freed{0};
std::atomic<std::chrono::steady_clock::rep> CWatchedWrapper::lastFreedAt{0};

void CWatchedWrapper::operator delete(void* memory)
{
    ::operator delete(memory);
    lastFreedAt.store(std::chrono::steady_clock::now().time_since_epoch().count(), std::memory_order_release);
    freed.fetch_add(1, std::memory_order_acq_rel);
}

std::chrono::steady_clock::time_point CWatchedWrapper::LastFreedAt()
{
    using Clock = std::chrono::steady_clock;
    return Clock::time_point(Clock::duration(lastFreedAt.load(std::memory_order_acquire)));
}
