#include "platform/CallbackGate.h"

#include "platform/LockGuard.h"

bool CCallbackGate::IsOpen()
{
    CLockGuard guard(lock);
    return open;
}

void CCallbackGate::Close()
{
    CLockGuard guard(lock);
    open = false;
}
