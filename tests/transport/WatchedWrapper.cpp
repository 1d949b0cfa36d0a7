#include "transport/WatchedWrapper.h"

std::atomic<int> CWatchedWrapper::freed{0};

void CWatchedWrapper::operator delete(void* memory)
{
    ::operator delete(memory);
    freed.fetch_add(1, std::memory_order_acq_rel);
}
