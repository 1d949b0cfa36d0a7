#pragma once

#include "transport/TransportWrapper.h"

#include <atomic>

// A transport wrapper that tells when its memory has been given back. The receive thread
// deletes it through the virtual destructor, so this class's operator delete runs then.
class CWatchedWrapper : public CTransportWrapper {
public:
    static void operator delete(void* memory);

    static int FreedCount() { return freed.load(std::memory_order_acquire); }
    static void ResetCount() { freed.store(0, std::memory_order_release); }

private:
    static std::atomic<int> freed;
};
