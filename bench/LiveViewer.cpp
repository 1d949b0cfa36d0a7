#include "LiveViewer.h"

#include <atomic>

namespace {

// The decoder stand-in draws nowhere: any non-null window turns decoding on.
HWND const kFakeWindow = reinterpret_cast<HWND>(1);
// The stand-in's port numbers are below this.
const int kMaxPorts = 256;

// The viewer of each decoder port, for the display callback, which is told only the port.
std::atomic<CLiveViewer*> viewers[kMaxPorts];

const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

} // namespace

double CLiveViewer::Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool CLiveViewer::Create()
{
    id = StreamClient_CreatePlayer(this, kFakeWindow, OnData, nullptr, 1);
    return id >= 0;
}

// The host is not told which decoder port its player got; the stand-in hands out the lowest
// free one, so in a process whose viewers are opened one after another, all others stopped,
// the index-th viewer has port index. Registering fails on a port not in use.
bool CLiveViewer::Open(const std::string& url, int index, bool watch)
{
    watched = watch;
    openedAt = Now();
    if (StreamClient_OpenURL(id, url.c_str(), this) != 1 || index >= kMaxPorts)
        return false;
    port = index;
    viewers[port].store(this);
    return !watched || Lumo_SetDisplayCallBack(port, &CLiveViewer::OnShown) != 0;
}

unsigned CLiveViewer::PlayedUnits() const
{
    return port >= 0 ? Lumo_GetPlayedTimeEx(port) : 0;
}

bool CLiveViewer::Play()
{
    return StreamClient_Play(id) == 1;
}

void CLiveViewer::Stop()
{
    StreamClient_Stop(id);
    if (port >= 0)
        viewers[port].store(nullptr);
    id = port = -1;
}

void STREAMCLIENT_CALL CLiveViewer::OnData(int, void* user, int dataType, const unsigned char* data, int length)
{
    if (dataType == STREAM_DATA_MEDIA)
        static_cast<CLiveViewer*>(user)->log.OnPacket(data, length, Now());
}

void LUMO_CALL CLiveViewer::OnShown(int port, const unsigned char*, int, int, int, int streamMs, int, int)
{
    double now = Now();
    if (port >= 0 && port < kMaxPorts) {
        if (CLiveViewer* viewer = viewers[port].load())
            viewer->log.OnShown(static_cast<uint32_t>(streamMs), now);
    }
}
