#include "api/StreamClientLib.h"

#include "api/PlayerRegistry.h"
#include "platform/LockGuard.h"
#include "platform/NeverDestroyed.h"

CStreamClientLib& CStreamClientLib::Instance()
{
    return NeverDestroyed<CStreamClientLib>();
}

int CStreamClientLib::Init()
{
    CLockGuard guard(initLock);
    if (IsInitialised())
        return 0;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        DebugOutput("zrk--------client InitStreamClientLib failed 1\n");
        return -1;
    }
    CPlayerRegistry::GetInstance()->Init(CPlayerRegistry::kMaxPlayers, CPlayerRegistry::kFirstClientPort);
    initialised.store(true, std::memory_order_release);
    return 0;
}
