#include "MediaSession.h"

#include <cstdio>
#include <string>

namespace {

const int kAcceptSliceMs = 100;
// A session further behind than this gives up the lost time instead of racing to catch up.
const std::chrono::seconds kMaxLag(1);

} // namespace

CMediaSession::CMediaSession(const StreamFormat& format, std::unique_ptr<CMediaChannel> channel,
                             std::unique_ptr<CMediaProducer> producer)
    : format(format), channel(std::move(channel)), producer(std::move(producer)), created(Clock::now()),
      view(format.width, format.height)
{
}

CMediaSession::~CMediaSession()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void CMediaSession::Start()
{
    thread = std::thread(&CMediaSession::Run, this);
}

void CMediaSession::PlayFrom(int startSecond)
{
    std::lock_guard<std::mutex> guard(mutex);
    Restart(IsLive() ? LiveFrameNow() : int64_t(startSecond) * format.fps);
}

void CMediaSession::Resume()
{
    std::lock_guard<std::mutex> guard(mutex);
    if (!playing && played && !AtEnd())
        Restart(IsLive() ? LiveFrameNow() : frameIndex);
}

// With the lock held.
void CMediaSession::Restart(int64_t index)
{
    frameIndex = index;
    playing = played = restartPending = true;
    ++generation;
    nextDue = Clock::now();
    wake.notify_all();
}

void CMediaSession::Pause()
{
    std::lock_guard<std::mutex> guard(mutex);
    playing = false;
    ++generation;
    wake.notify_all();
}

bool CMediaSession::HasPlayed() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return played;
}

double CMediaSession::SpeedOf(int scale)
{
    if (scale >= 2)
        return scale;
    if (scale <= -2)
        return 1.0 / -scale;
    return 1;
}

void CMediaSession::SetScale(int scale)
{
    std::lock_guard<std::mutex> guard(mutex);
    speed = IsLive() ? 1 : SpeedOf(scale);
}

PictureParams CMediaSession::GetPictureParams() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return params;
}

void CMediaSession::SetPictureParams(const PictureParams& newParams)
{
    std::lock_guard<std::mutex> guard(mutex);
    params = newParams;
}

bool CMediaSession::Command(unsigned long command, unsigned long param1, unsigned long param2, unsigned long param3,
                            unsigned long param4)
{
    std::lock_guard<std::mutex> guard(mutex);
    return view.Apply(command, param1, param2, param3, param4);
}

// With the lock held: a recorded stream has sent its last picture.
bool CMediaSession::AtEnd() const
{
    return !IsLive() && frameIndex >= int64_t(format.durationSeconds) * format.fps;
}

int64_t CMediaSession::LiveFrameNow() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - created).count() * format.fps / 1000;
}

void CMediaSession::Run()
{
    if (!WaitForClient() || !OpenProducer())
        return;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        if (!playing) {
            wake.wait(lock);
            continue;
        }
        FrameOrder order = NextOrder();
        lock.unlock();
        bool sent = producer->Produce(order, *channel);
        lock.lock();
        if (!sent)
            return;
        if (order.generation == generation)
            Advance();
        wake.wait_until(lock, nextDue, [&] { return stopping || generation != order.generation; });
    }
}

bool CMediaSession::WaitForClient()
{
    if (!channel->IsFramed())
        return true;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (stopping)
                return false;
        }
        if (channel->AcceptClient(kAcceptSliceMs))
            return true;
    }
}

bool CMediaSession::OpenProducer()
{
    std::string error;
    if (producer->Open(error))
        return true;
    std::fprintf(stderr, "simserver: %s\n", error.c_str());
    return false;
}

// With the lock held.
FrameOrder CMediaSession::NextOrder()
{
    FrameOrder order{frameIndex, restartPending, generation, params, view};
    restartPending = false;
    return order;
}

// With the lock held: the next step's picture number and time; a recorded stream stops at its end.
void CMediaSession::Advance()
{
    frameIndex += producer->PicturesPerStep();
    if (AtEnd())
        playing = false;
    nextDue += producer->StepInterval(speed);
    if (Clock::now() - nextDue > kMaxLag)
        nextDue = Clock::now();
}
