#include "api/PlayerRegistry.h"

#include "platform/LockGuard.h"
#include "platform/NeverDestroyed.h"
#include "player/VaroPlayer.h"

#include <new>

CPlayerRegistry* CPlayerRegistry::GetInstance()
{
    return &NeverDestroyed<CPlayerRegistry>();
}

int CPlayerRegistry::Init(int players, unsigned short firstPort)
{
    if (players > kMaxPlayers)
        players = kMaxPlayers;
    {
        CLockGuard guard(lock);
        maxPlayers = players;
        freeIds.Clear();
        for (int id = 0; id < players; ++id)
            freeIds.Push(id);
    }
    unsigned short endPort = static_cast<unsigned short>(firstPort + 2 * players);
    udpPorts.Init(firstPort, endPort);
    tcpPorts.Init(firstPort, endPort);
    return 0;
}

int CPlayerRegistry::AllocateId()
{
    CLockGuard guard(lock);
    int id = -1;
    if (inUseCount >= maxPlayers || !freeIds.Pop(id))
        return -1;
    ++inUseCount;
    return id;
}

void CPlayerRegistry::ReleaseId(int id)
{
    CLockGuard guard(lock);
    if (id < 0 || id >= maxPlayers)
        return;
    freeIds.Push(id);
    --inUseCount;
}

CVaroPlayer* CPlayerRegistry::CreatePlayer()
{
    int id = AllocateId();
    if (id < 0)
        return nullptr;
    CVaroPlayer* player = new (std::nothrow) CVaroPlayer(id, udpPorts, tcpPorts);
    if (!player)
        ReleaseId(id);
    return player;
}

int CPlayerRegistry::AddPlayer(CVaroPlayer* player)
{
    int id = player->GetId();
    CLockGuard guard(lock);
    players[id] = player;
    return id;
}

CVaroPlayer* CPlayerRegistry::FindPlayer(int id)
{
    if (id < 0 || id >= kMaxPlayers)
        return nullptr;
    CLockGuard guard(lock);
    return players[id];
}

int CPlayerRegistry::DestroyPlayer(CVaroPlayer* player)
{
    if (!player)
        return -1;
    int id = player->GetId();
    {
        CLockGuard guard(lock);
        if (players[id] == player)
            players[id] = nullptr;
    }
    ReleaseId(id);
    delete player;
    return 0;
}
