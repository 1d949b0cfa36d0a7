#pragma once

#include "platform/CriticalSection.h"
#include "transport/PortPool.h"
#include "transport/RingQueue.h"

class CVaroPlayer;

// Hands out player ids, maps an id to its player and owns the two client-port pools. One
// instance lives for the whole time the library is loaded.
class CPlayerRegistry {
public:
    static constexpr int kMaxPlayers = 100;
    static constexpr unsigned short kFirstClientPort = 10000;

    static CPlayerRegistry* GetInstance();

    // Before Init there are no ids: CreatePlayer fails.
    int Init(int maxPlayers, unsigned short firstPort);

    // A new player bound to the next free id, or null when all ids are in use. FindPlayer
    // does not see it until it is added, so the creator may prepare it undisturbed.
    CVaroPlayer* CreatePlayer();
    // Makes a created player findable under its id and returns the id. From then on any
    // thread may destroy it: the caller does not touch it again.
    int AddPlayer(CVaroPlayer* player);
    // The player of that id, or null when it has none.
    CVaroPlayer* FindPlayer(int id);
    // Frees the player, added or not, and queues its id behind those freed before. 0, or -1
    // for null.
    int DestroyPlayer(CVaroPlayer* player);

    // The client ports of UDP and of TCP streams; each player's sources take theirs from here.
    CPortPool& UdpPorts() { return udpPorts; }
    CPortPool& TcpPorts() { return tcpPorts; }

private:
    int AllocateId();
    void ReleaseId(int id);

    int inUseCount = 0;
    int maxPlayers = 0;
    // Indexed by id; null for an id never used or whose player was destroyed.
    CVaroPlayer* players[kMaxPlayers] = {};
    CRingQueue<int, kMaxPlayers> freeIds;
    CPortPool udpPorts;
    CPortPool tcpPorts;
    CCriticalSection lock;
};
