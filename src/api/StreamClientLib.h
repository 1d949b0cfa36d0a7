#pragma once

#include "platform/CriticalSection.h"

#include <atomic>

// What exists once per library besides the registry: the initialised flag and one lock per
// player slot, which serialises every export on that id.
class CStreamClientLib {
public:
    static constexpr int kSlots = 100;

    static CStreamClientLib& Instance();

    // Starts the socket library and the registry once; later calls return 0 and change nothing.
    int Init();
    bool IsInitialised() const { return initialised.load(std::memory_order_acquire); }
    CCriticalSection& SlotLock(int playerId) { return slotLocks[playerId]; }

private:
    std::atomic<bool> initialised{false};
    // Two hosts threads initialising at once must not both start the registry.
    CCriticalSection initLock;
    CCriticalSection slotLocks[kSlots];
};
