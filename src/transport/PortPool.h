#pragma once

#include "transport/RingQueue.h"
#include "platform/CriticalSection.h"

// A locked first-in, first-out queue of client RTP port numbers. The library fills each pool
// with even ports: a stream announces the pair P, P+1 and binds P.
class CPortPool {
public:
    // One port per player is all the library ever hands out.
    static constexpr int kCapacity = 100;

    // Queues firstPort, firstPort + 2, ... below endPort (at most kCapacity of them). 0.
    int Init(unsigned short firstPort, unsigned short endPort);
    // The oldest free port, or 0 when none is left.
    unsigned short Acquire();
    // Queues the port at the back. Port 0 (what an empty pool hands out) is not queued, nor is
    // anything beyond the capacity. 0.
    int Release(unsigned short port);

private:
    unsigned short firstPort = 0;
    unsigned short endPort = 0;
    CRingQueue<unsigned short, kCapacity> freePorts;
    CCriticalSection lock;
};
