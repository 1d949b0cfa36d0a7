#include "rtsp/HostCallbackScope.h"

namespace {
thread_local const CHostCallbackScope* innermost = nullptr;
} // namespace

CHostCallbackScope::CHostCallbackScope(int id) : playerId(id), outer(innermost)
{
    innermost = this;
}

CHostCallbackScope::~CHostCallbackScope()
{
    innermost = outer;
}

bool CHostCallbackScope::IsActiveFor(int id)
{
    for (const CHostCallbackScope* scope = innermost; scope; scope = scope->outer) {
        if (scope->playerId == id)
            return true;
    }
    return false;
}
