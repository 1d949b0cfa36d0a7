#include "api/PlayerRegistry.h"
#include "transport/PortPool.h"
#include "player/VaroPlayer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<unsigned short> Drain(CPortPool& pool)
{
    std::vector<unsigned short> ports;
    for (unsigned short port = pool.Acquire(); port != 0; port = pool.Acquire())
        ports.push_back(port);
    return ports;
}

// Created and added, as the export does; null when no id is left.
CVaroPlayer* Add(CPlayerRegistry& registry)
{
    CVaroPlayer* player = registry.CreatePlayer();
    if (player)
        registry.AddPlayer(player);
    return player;
}

} // namespace

// Even ports in order, then 0; released ports come back first in, first out.
TEST(PortPool, HandsOutEvenPortsInOrderThenZero)
{
    CPortPool pool;
    EXPECT_EQ(0, pool.Acquire()) << "an uninitialised pool is empty";
    pool.Init(10000, 10200);
    std::vector<unsigned short> ports = Drain(pool);
    ASSERT_EQ(100u, ports.size());
    EXPECT_EQ(10000, ports.front());
    EXPECT_EQ(10002, ports[1]);
    EXPECT_EQ(10198, ports.back());
    EXPECT_EQ(0, pool.Acquire());
    pool.Init(65530, 65535); // the range ends at the port limit
    EXPECT_EQ(65530, pool.Acquire());
    EXPECT_EQ(65532, pool.Acquire());
    pool.Release(65532);
    pool.Release(65530);
    pool.Release(0); // what an empty pool gave out: not a port
    EXPECT_EQ((std::vector<unsigned short>{65534, 65532, 65530}), Drain(pool));
}

TEST(PlayerRegistry, IdsComeOutInOrderAndAreReusedFirstInFirstOut)
{
    CPlayerRegistry registry;
    EXPECT_EQ(nullptr, registry.CreatePlayer()) << "no ids before Init";
    registry.Init(100, 10000);
    std::vector<CVaroPlayer*> players;
    for (int id = 0; id < 100; ++id) {
        players.push_back(Add(registry));
        ASSERT_NE(nullptr, players.back());
        EXPECT_EQ(id, players.back()->GetId());
    }
    EXPECT_EQ(nullptr, registry.CreatePlayer());

    EXPECT_EQ(0, registry.DestroyPlayer(players[5]));
    EXPECT_EQ(0, registry.DestroyPlayer(players[2]));
    EXPECT_EQ(nullptr, registry.FindPlayer(5));
    EXPECT_EQ(players[7], registry.FindPlayer(7));
    EXPECT_EQ(-1, registry.DestroyPlayer(nullptr));

    CVaroPlayer* again5 = Add(registry);
    CVaroPlayer* again2 = registry.CreatePlayer();
    ASSERT_TRUE(again5 && again2);
    EXPECT_EQ(5, again5->GetId());
    EXPECT_EQ(2, again2->GetId());
    EXPECT_EQ(nullptr, registry.FindPlayer(2)) << "not findable before it is added";
    EXPECT_EQ(2, registry.AddPlayer(again2));
    EXPECT_EQ(again2, registry.FindPlayer(2));
    EXPECT_EQ(nullptr, registry.CreatePlayer());

    for (int id = 0; id < 100; ++id)
        registry.DestroyPlayer(registry.FindPlayer(id));
    EXPECT_EQ(nullptr, registry.FindPlayer(0));
    EXPECT_EQ(nullptr, registry.FindPlayer(-1));
    EXPECT_EQ(nullptr, registry.FindPlayer(100));
}
