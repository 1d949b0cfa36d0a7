#include "LumoPortTable.h"

#include "platform/LockGuard.h"
#include "platform/NeverDestroyed.h"

#include <new>

namespace {
bool Usable(const LumoStreamHeader& header, int bufferSize)
{
    return bufferSize > 0 && header.clockRate > 0 &&
           (header.packaging == LumoStreamHeader::kPackagingDatagrams ||
            header.packaging == LumoStreamHeader::kPackagingFramed);
}
} // namespace

CLumoPortTable& CLumoPortTable::Instance()
{
    return NeverDestroyed<CLumoPortTable>();
}

CLumoPortTable::Port* CLumoPortTable::Find(int port)
{
    if (port < 0 || port >= kMaxPorts || !ports[port].inUse)
        return nullptr;
    return &ports[port];
}

std::shared_ptr<CLumoStream> CLumoPortTable::StreamOf(int port)
{
    CLockGuard guard(lock);
    Port* p = Find(port);
    return p ? p->stream : nullptr;
}

// Takes the stream off the port (and frees the port, when asked): the caller stops it outside
// the lock.
std::shared_ptr<CLumoStream> CLumoPortTable::TakeStream(int port, bool freePort)
{
    CLockGuard guard(lock);
    Port* p = Find(port);
    if (!p)
        return nullptr;
    std::shared_ptr<CLumoStream> stream = std::move(p->stream);
    if (freePort)
        *p = Port();
    return stream;
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
    if (!CheckPort(port))
        return 0;
    std::shared_ptr<CLumoStream> stream = TakeStream(port, true);
    if (stream)
        stream->Stop();
    return 1;
}

int CLumoPortTable::SetStreamOpenMode(int port, int mode)
{
    if (mode != LUMO_STREAM_REALTIME && mode != LUMO_STREAM_FILE)
        return 0;
    CLockGuard guard(lock);
    Port* p = Find(port);
    if (!p)
        return 0;
    p->live = mode == LUMO_STREAM_REALTIME;
    return 1;
}

int CLumoPortTable::OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize)
{
    LumoStreamHeader parsed;
    if (!parsed.Read(header, headerLength) || !Usable(parsed, bufferSize))
        return 0;
    CLockGuard guard(lock);
    Port* p = Find(port);
    if (!p || p->stream)
        return 0;
    // make_shared is the one allocation here that throws rather than failing quietly.
    try {
        p->stream = std::make_shared<CLumoStream>(port, parsed, static_cast<unsigned>(bufferSize), p->live);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    p->stream->SetDisplay(p->display);
    return 1;
}

int CLumoPortTable::CloseStream(int port)
{
    std::shared_ptr<CLumoStream> stream = TakeStream(port, false);
    if (!stream)
        return 0;
    stream->Stop();
    return 1;
}

int CLumoPortTable::InputData(int port, const unsigned char* data, int length)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream && data && length > 0 ? stream->Input(data, length) : 0;
}

int CLumoPortTable::Play(int port, HWND window)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->Play(window) : 0;
}

int CLumoPortTable::Pause(int port, int pause)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->Pause(pause) : 0;
}

int CLumoPortTable::Stop(int port)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->Stop() : 0;
}

int CLumoPortTable::ResetSourceBuffer(int port)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    if (!stream)
        return 0;
    stream->ResetSource();
    return 1;
}

unsigned CLumoPortTable::GetPlayedTime(int port)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->PlayedTime() : 0;
}

int CLumoPortTable::StepRate(int port, int step)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->StepRate(step) : 0;
}

int CLumoPortTable::Refresh(int port)
{
    std::shared_ptr<CLumoStream> stream = StreamOf(port);
    return stream ? stream->Refresh() : CheckPort(port);
}

int CLumoPortTable::SetDisplayCallBack(int port, LumoDisplayCallBack callback)
{
    CLockGuard guard(lock);
    Port* p = Find(port);
    if (!p)
        return 0;
    p->display = callback;
    if (p->stream)
        p->stream->SetDisplay(callback);
    return 1;
}

int CLumoPortTable::CheckPort(int port)
{
    CLockGuard guard(lock);
    return Find(port) ? 1 : 0;
}
