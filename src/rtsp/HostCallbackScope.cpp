#include "rtsp/HostCallbackScope.h"

#include "platform/ThreadPointer.h"

namespace {
// The innermost scope of each thread.
CThreadPointer innermost;
} // namespace

CHostCallbackScope::CHostCallbackScope(int id)
    : playerId(id), outer(static_cast<const CHostCallbackScope*>(innermost.Get()))
{
    innermost.Set(this);
}

CHostCallbackScope::~CHostCallbackScope()
{
    innermost.Set(outer);
}

bool CHostCallbackScope::IsActiveFor(int id)
{
    for (auto scope = static_cast<const CHostCallbackScope*>(innermost.Get()); scope; scope = scope->outer) {
        if (scope->playerId == id)
            return true;
    }
    return false;
}
