#include "transport/PortPool.h"

#include "platform/LockGuard.h"

int CPortPool::Init(unsigned short first, unsigned short end)
{
    CLockGuard guard(lock);
    firstPort = first;
    endPort = end;
    freePorts.Clear();
    // Counted in int so that a range reaching 65535 ends instead of wrapping.
    for (int port = first; port < end && freePorts.Push(static_cast<unsigned short>(port)); port += 2) {
    }
    return 0;
}

unsigned short CPortPool::Acquire()
{
    CLockGuard guard(lock);
    unsigned short port = 0;
    freePorts.Pop(port);
    return port;
}

int CPortPool::Release(unsigned short port)
{
    CLockGuard guard(lock);
    if (port != 0)
        freePorts.Push(port);
    return 0;
}
