#include "LumoStream.h"

#include "DecodePipeline.h"
#include "WindowPainter.h"
#include "Yv12Picture.h"
#include "platform/LockGuard.h"
#include "platform/ThreadPointer.h"

#include <new>
#include <utility>

// What the display thread owns: its reference to the stream, its pipeline, the frame it holds
// until the frame is due, the frame shown last (drawn again when the window needs it), the
// painter of the window and the YV12 copy handed to the display callback.
struct CLumoStream::DisplayRun {
    std::shared_ptr<CLumoStream> stream;
    std::unique_ptr<CDecodePipeline> pipeline;
    std::unique_ptr<CWindowPainter> painter;
    DecodedFrame frame;
    DecodedFrame shown;
    CYv12Picture yv12;
    bool holding = false;
    bool admitted = false;
};

namespace {
// The stream whose display thread this is: a Stop from inside a display callback must not wait
// for its own thread.
CThreadPointer displayedStream;
} // namespace

CLumoStream::CLumoStream(int port, const LumoStreamHeader& header, unsigned bufferSize, bool live)
    : port(port), framed(header.packaging == LumoStreamHeader::kPackagingFramed), bufferSize(bufferSize),
      queue(bufferSize), pacer(header.clockRate, live)
{
}

int CLumoStream::Input(const unsigned char* data, int length)
{
    bool wakeDisplay = false;
    {
        CLockGuard guard(lock);
        if (!queue.Push(data, length))
            return 0;
        wakeDisplay = awaitingInput && EndsFrame(data, length);
        awaitingInput = awaitingInput && !wakeDisplay;
    }
    // Outside the lock, which the display thread takes first thing.
    if (wakeDisplay)
        wake.Set();
    return 1;
}

// A datagram is one RTP packet, and the marker bit ends a frame: the display thread is woken
// once a frame, not once a packet. A framed block may end one anywhere.
bool CLumoStream::EndsFrame(const unsigned char* data, int length) const
{
    return framed || (length > 1 && (data[1] & 0x80) != 0);
}

void CLumoStream::SetDisplay(LumoDisplayCallBack callback)
{
    CLockGuard guard(lock);
    display = callback;
}

int CLumoStream::Refresh()
{
    refreshPending.store(true, std::memory_order_relaxed);
    wake.Set();
    return 1;
}

unsigned CLumoStream::QueuedBytes()
{
    CLockGuard guard(lock);
    return queue.Bytes();
}

int CLumoStream::Play(HWND newWindow)
{
    window.store(newWindow, std::memory_order_relaxed);
    CLockGuard guard(lock);
    if (state == Paused)
        pacer.Resume(GetTickCount());
    else if (state == Stopped && (displayRunning || !StartDisplay()))
        return 0;
    state = Playing;
    wake.Set();
    return 1;
}

int CLumoStream::Pause(int pause)
{
    CLockGuard guard(lock);
    if (state == Stopped)
        return 0;
    if (!pause && state == Paused)
        pacer.Resume(GetTickCount());
    state = pause ? Paused : Playing;
    wake.Set();
    return 1;
}

int CLumoStream::Stop()
{
    {
        CLockGuard guard(lock);
        state = Stopped;
        stopping = displayRunning;
        pacer.Clear();
        wake.Set();
    }
    if (displayedStream.Get() != this) {
        while (DisplayRunning())
            Sleep(1);
    }
    return 1;
}

void CLumoStream::ResetSource()
{
    CLockGuard guard(lock);
    queue.Clear();
    resetPending = displayRunning;
    wake.Set();
}

unsigned CLumoStream::PlayedTime()
{
    CLockGuard guard(lock);
    return pacer.PlayedUnits();
}

int CLumoStream::StepRate(int step)
{
    CLockGuard guard(lock);
    if (!pacer.StepRate(step, GetTickCount()))
        return 0;
    wake.Set();
    return 1;
}

bool CLumoStream::DisplayRunning()
{
    CLockGuard guard(lock);
    return displayRunning;
}

// Called with the lock held. The access unit limit is the source buffer size too: no frame
// could have been queued whole beyond it.
bool CLumoStream::StartDisplay()
{
    std::unique_ptr<DisplayRun> run(new (std::nothrow) DisplayRun);
    if (!run)
        return false;
    run->pipeline.reset(new (std::nothrow) CDecodePipeline(framed, bufferSize));
    run->painter.reset(new (std::nothrow) CWindowPainter);
    if (!run->pipeline || !run->painter || !run->pipeline->Open())
        return false;
    run->stream = shared_from_this();
    displayRunning = true;
    stopping = false;
    resetPending = false;
    if (StartModuleThread(DisplayThread, run.get()) != 0) {
        displayRunning = false;
        return false;
    }
    run.release(); // the display thread frees it
    return true;
}

void CLumoStream::DisplayThread(void* argument)
{
    std::unique_ptr<DisplayRun> run(static_cast<DisplayRun*>(argument));
    displayedStream.Set(run->stream.get());
    run->stream->RunDisplay(*run);
    // Nothing is drawn once Stop has returned.
    run->painter.reset();
    run->pipeline.reset();
    run->stream->DisplayEnded();
}

void CLumoStream::DisplayEnded()
{
    CLockGuard guard(lock);
    displayRunning = false;
    stopping = false;
}

void CLumoStream::RunDisplay(DisplayRun& run)
{
    for (;;) {
        DWORD waitMs = IdleWaitMs(run);
        uint32_t stamp = 0;
        switch (Schedule(run, &waitMs, &stamp)) {
        case Next::End:
            return;
        case Next::Show:
            Show(run, stamp);
            break;
        case Next::Decode:
            run.holding = TakeFrame(run);
            run.admitted = false;
            if (!run.holding) {
                Paint(run, false);
                wake.Wait(IdleWaitMs(run));
            }
            break;
        case Next::Wait:
            Paint(run, false);
            wake.Wait(waitMs);
            break;
        }
    }
}

DWORD CLumoStream::IdleWaitMs(const DisplayRun& run) const
{
    return window.load(std::memory_order_relaxed) && run.shown.hasPicture ? kIdleMs : INFINITE;
}

// Decides, under the lock, what the display thread does next; the work itself is done outside.
CLumoStream::Next CLumoStream::Schedule(DisplayRun& run, DWORD* waitMs, uint32_t* stamp)
{
    CLockGuard guard(lock);
    if (stopping)
        return Next::End;
    if (resetPending) {
        run.pipeline->Reset();
        pacer.Restart();
        run.holding = false;
        resetPending = false;
    }
    if (state != Playing)
        return Next::Wait;
    if (!run.holding)
        return Next::Decode;
    DWORD now = GetTickCount();
    if (!run.admitted)
        pacer.Admit(run.frame.timestamp, now);
    run.admitted = true;
    int wait = pacer.WaitMs(run.frame.timestamp, now);
    if (wait > 0) {
        *waitMs = wait < static_cast<int>(kIdleMs) ? static_cast<DWORD>(wait) : kIdleMs;
        return Next::Wait;
    }
    pacer.Shown(run.frame.timestamp);
    *stamp = pacer.PlayedMs();
    run.holding = false;
    return Next::Show;
}

// Decodes until a frame comes out or the queue is empty. Stops taking input once a reset is
// pending, so that the first blocks after a seek are not thrown away with the old ones.
bool CLumoStream::TakeFrame(DisplayRun& run)
{
    while (!run.pipeline->NextFrame(&run.frame)) {
        std::unique_ptr<CBlockQueue::Block> block;
        {
            CLockGuard guard(lock);
            if (!resetPending && !stopping)
                block = queue.Pop();
            awaitingInput = !block;
        }
        if (!block)
            return false;
        run.pipeline->Feed(std::move(block));
    }
    return true;
}

// The callback may unregister itself or call back into the library: the lock is held only to
// read it, so that no callback begins once SetDisplay has replaced it. Only a registered
// callback costs a YV12 copy. The frame is kept as the one shown (swapped, not copied) so that
// the window can get it again.
void CLumoStream::Show(DisplayRun& run, uint32_t stamp)
{
    LumoDisplayCallBack callback;
    {
        CLockGuard guard(lock);
        callback = display;
    }
    CYv12Picture& picture = run.yv12;
    if (callback && run.frame.hasPicture && picture.CopyFrom(run.frame.planes))
        callback(port, picture.Data(), static_cast<int>(picture.Size()), picture.Width(), picture.Height(),
                 static_cast<int>(stamp), CYv12Picture::kPictureType, 0);
    bool fresh = run.frame.hasPicture;
    if (fresh)
        std::swap(run.frame, run.shown);
    Paint(run, fresh);
}

// Between frames too, so that a paused picture is drawn again where the window lost it.
void CLumoStream::Paint(DisplayRun& run, bool fresh)
{
    bool refresh = refreshPending.exchange(false, std::memory_order_relaxed);
    run.painter->Update(window.load(std::memory_order_relaxed), run.shown.hasPicture ? &run.shown.planes : nullptr,
                        fresh || refresh);
}
