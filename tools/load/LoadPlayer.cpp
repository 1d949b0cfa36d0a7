#include "LoadPlayer.h"

#include "ProcessStats.h"
#include "Stopwatch.h"

#include <chrono>
#include <thread>

namespace {

// The receive thread sees Stop within its 5 ms socket wait; a thread still there after this
// long is reported as not freed.
const double kThreadEndWaitMs = 3000;
const auto kThreadEndPollStep = std::chrono::microseconds(100);

} // namespace

bool CLoadPlayer::Create(HWND window)
{
    id = StreamClient_CreatePlayer(this, window, OnData, nullptr, overUdp ? 1 : 0);
    return id >= 0;
}

std::optional<double> CLoadPlayer::Open(const std::string& url)
{
    CStopwatch call;
    bool opened = StreamClient_OpenURL(id, url.c_str(), this) == 1;
    double ms = call.ElapsedMs();
    if (opened)
        return ms;
    StreamClient_Destroy(id);
    id = -1;
    return std::nullopt;
}

bool CLoadPlayer::Play()
{
    return StreamClient_Play(id) == 1;
}

StopTiming CLoadPlayer::Stop()
{
    StopTiming timing;
    CStopwatch call;
    timing.stopped = StreamClient_Stop(id) == 0;
    timing.callMs = call.ElapsedMs();
    id = -1;
    long threadId = receiveThread.load(std::memory_order_acquire);
    timing.threadKnown = threadId != 0;
    if (timing.threadKnown)
        timing.freedMs = WaitForThreadEnd(threadId);
    return timing;
}

std::optional<double> CLoadPlayer::WaitForThreadEnd(long threadId) const
{
    CStopwatch wait;
    while (CProcessStats::ThreadExists(threadId)) {
        if (wait.ElapsedMs() > kThreadEndWaitMs)
            return std::nullopt;
        std::this_thread::sleep_for(kThreadEndPollStep);
    }
    return wait.ElapsedMs();
}

void STREAMCLIENT_CALL CLoadPlayer::OnData(int, void* user, int dataType, const unsigned char* data, int length)
{
    if (dataType != STREAM_DATA_MEDIA)
        return;
    CLoadPlayer* self = static_cast<CLoadPlayer*>(user);
    // Asked once: the stream keeps its receive thread, and a system call per chunk would be
    // part of the cost measured.
    if (self->receiveThread.load(std::memory_order_relaxed) == 0)
        self->receiveThread.store(CProcessStats::CurrentThreadId(), std::memory_order_release);
    self->counter.OnChunk(data, length);
}
