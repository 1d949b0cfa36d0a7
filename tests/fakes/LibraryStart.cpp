#include "fakes/LibraryStart.h"

#include "api/PlayerRegistry.h"
#include "fakes/DebugCapture.h"
#include "streamclient.h"

#include <algorithm>
#include <vector>

namespace {

void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

// Both kinds of queue hand out first in, first out: taking everything and giving it back in
// ascending order restores the first order. Returns how many there were.
template <typename Item, typename Take, typename Give>
int Reorder(Take take, Give give, Item none)
{
    std::vector<Item> taken;
    for (Item item = take(); item != none; item = take())
        taken.push_back(item);
    std::sort(taken.begin(), taken.end());
    for (Item item : taken)
        give(item);
    return static_cast<int>(taken.size());
}

} // namespace

void ReturnLibraryToStart()
{
    for (int id = 0; id < 100; ++id)
        StreamClient_Destroy(id);
    CDebugCapture refusals; // of the player past the hundredth, which is expected
    Reorder([] { return StreamClient_CreatePlayer(nullptr, nullptr, nullptr, IgnoreMessage, 1); },
            [](int id) { StreamClient_Destroy(id); }, -1);
    FreeUdpPorts();
    CPlayerRegistry* registry = CPlayerRegistry::GetInstance();
    const unsigned short none = 0; // an empty pool gives port 0
    Reorder([registry] { return registry->TcpPorts().Acquire(); },
            [registry](unsigned short port) { registry->TcpPorts().Release(port); }, none);
}

int FreeUdpPorts()
{
    CPlayerRegistry* registry = CPlayerRegistry::GetInstance();
    const unsigned short none = 0;
    return Reorder([registry] { return registry->UdpPorts().Acquire(); },
                   [registry](unsigned short port) { registry->UdpPorts().Release(port); }, none);
}
