#include "LumoPortTable.h"

#include "platform/LockGuard.h"

namespace {
CLumoPortTable table;
const int kMaxRateStep = 4;
} // namespace

CLumoPortTable& CLumoPortTable::Instance()
{
    return table;
}

CLumoPortTable::Port* CLumoPortTable::Find(int port)
{
    if (port < 0 || port >= kMaxPorts || !ports[port].inUse)
        return nullptr;
    return &ports[port];
}

// Runs change on a port in use (and open, when asked) under the lock: 1 when it did its work.
template <typename Change>
int CLumoPortTable::WithPort(int port, bool mustBeOpen, Change change)
{
    CLockGuard guard(lock);
    Port* p = Find(port);
    if (!p || (mustBeOpen && !p->open))
        return 0;
    return change(*p) ? 1 : 0;
}

// Milliseconds of stream played since the current run began, at the current rate.
unsigned CLumoPortTable::RunMs(const Port& p)
{
    if (p.playState != Playing)
        return 0;
    unsigned elapsed = GetTickCount() - p.runStart;
    return p.rateStep >= 0 ? elapsed << p.rateStep : elapsed >> -p.rateStep;
}

// Folds the current run into the played time, so that a new run (or rate) starts from now.
void CLumoPortTable::Settle(Port& p)
{
    p.playedMs += RunMs(p);
    p.runStart = GetTickCount();
}

int CLumoPortTable::GetPort(int* port)
{
    if (!port)
        return 0;
    CLockGuard guard(lock);
    for (int i = 0; i < kMaxPorts; ++i) {
        if (!ports[i].inUse) {
            ports[i] = Port();
            ports[i].inUse = true;
            *port = i;
            return 1;
        }
    }
    return 0;
}

int CLumoPortTable::FreePort(int port)
{
    return WithPort(port, false, [](Port& p) {
        p = Port();
        return 1;
    });
}

int CLumoPortTable::SetStreamOpenMode(int port, int mode)
{
    return WithPort(port, false, [mode](Port&) { return mode == LUMO_STREAM_REALTIME || mode == LUMO_STREAM_FILE; });
}

int CLumoPortTable::OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize)
{
    if (!header || headerLength <= 0 || bufferSize <= 0)
        return 0;
    return WithPort(port, false, [bufferSize](Port& p) {
        if (p.open)
            return false;
        p.open = true;
        p.bufferSize = static_cast<unsigned>(bufferSize);
        return true;
    });
}

int CLumoPortTable::CloseStream(int port)
{
    return WithPort(port, true, [](Port& p) {
        p.open = false;
        p.playState = Stopped;
        p.bytesQueued = 0;
        return 1;
    });
}

int CLumoPortTable::InputData(int port, const unsigned char* data, int length)
{
    if (!data || length <= 0)
        return 0;
    return WithPort(port, true, [length](Port& p) {
        if (p.playState == Playing)
            return true;
        // Full: "not now", the caller retries or drops the block.
        if (static_cast<unsigned>(length) > p.bufferSize - p.bytesQueued)
            return false;
        p.bytesQueued += static_cast<unsigned>(length);
        return true;
    });
}

int CLumoPortTable::Play(int port)
{
    return WithPort(port, true, [](Port& p) {
        Settle(p);
        p.playState = Playing;
        p.bytesQueued = 0;
        return 1;
    });
}

int CLumoPortTable::Pause(int port, int pause)
{
    return WithPort(port, true, [pause](Port& p) {
        if (p.playState == Stopped)
            return false;
        Settle(p);
        p.playState = pause ? Paused : Playing;
        return true;
    });
}

int CLumoPortTable::Stop(int port)
{
    return WithPort(port, true, [](Port& p) {
        p.playState = Stopped;
        p.playedMs = 0;
        p.rateStep = 0;
        return 1;
    });
}

int CLumoPortTable::ResetSourceBuffer(int port)
{
    return WithPort(port, true, [](Port& p) {
        p.bytesQueued = 0;
        return 1;
    });
}

unsigned CLumoPortTable::GetPlayedTime(int port)
{
    CLockGuard guard(lock);
    Port* p = Find(port);
    return p && p->open ? (p->playedMs + RunMs(*p)) / kPlayedTimeUnitMs : 0;
}

int CLumoPortTable::StepRate(int port, int step)
{
    return WithPort(port, true, [step](Port& p) {
        int next = p.rateStep + step;
        if (next < -kMaxRateStep || next > kMaxRateStep)
            return false;
        Settle(p);
        p.rateStep = next;
        return true;
    });
}

int CLumoPortTable::SetDisplayCallBack(int port, LumoDisplayCallBack callback)
{
    return WithPort(port, false, [callback](Port& p) {
        p.display = callback;
        return 1;
    });
}

int CLumoPortTable::CheckPort(int port)
{
    return WithPort(port, false, [](Port&) { return 1; });
}
