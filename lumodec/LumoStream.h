#pragma once

#include "BlockQueue.h"
#include "FramePacer.h"
#include "LumoStreamHeader.h"
#include "platform/CriticalSection.h"
#include "platform/WakeEvent.h"
#include "decoder/lumodec.h"

#include <atomic>
#include <memory>

// One open decoder stream: the input queue, filled by the receive thread and held to the source
// buffer size, and the display thread, which runs from Play to Stop, decodes the queued input
// and shows each frame when its stream time comes.
//
// Owned by shared pointers: the port table holds one while the stream is open, the display
// thread another while it runs, so that a stream closed from inside its own display callback
// lives until its thread has left it.
class CLumoStream : public std::enable_shared_from_this<CLumoStream> {
public:
    // How long the display thread sleeps at most when nothing wakes it (the end of a frame it
    // waits for, a call that changes its schedule): a little over a frame at 25 fps, so that
    // a playing stream is not woken between its frames. Only a window that lost its picture
    // needs the thread then, and gets the picture back within this time; a stream with no
    // window or no picture yet sleeps until woken (a hundred idle streams would otherwise cost
    // 2,000 wake-ups a second, each a wineserver request under Wine).
    static constexpr DWORD kIdleMs = 50;

    CLumoStream(int port, const LumoStreamHeader& header, unsigned bufferSize, bool live);

    // 0 ("not now") when the block would pass the source buffer size.
    int Input(const unsigned char* data, int length);
    // Frames are drawn into the window from now on (null: into none).
    int Play(HWND window);
    int Pause(int pause);
    // Ends the display thread (and waits for it, unless called on it) and clears the played time.
    int Stop();
    // Empties the queue; the display thread starts again at the next key frame.
    void ResetSource();
    unsigned PlayedTime();
    int StepRate(int step);
    // Once this has returned, no display callback but the new one begins.
    void SetDisplay(LumoDisplayCallBack callback);
    // The host painted over the window: the last picture is drawn again in full, paused or not.
    int Refresh();
    unsigned QueuedBytes();

private:
    enum PlayState { Stopped, Playing, Paused };
    enum class Next { End, Show, Decode, Wait };
    struct DisplayRun;

    bool EndsFrame(const unsigned char* data, int length) const;
    static void DisplayThread(void* argument);
    bool StartDisplay();
    void RunDisplay(DisplayRun& run);
    DWORD IdleWaitMs(const DisplayRun& run) const;
    Next Schedule(DisplayRun& run, DWORD* waitMs, uint32_t* stamp);
    bool TakeFrame(DisplayRun& run);
    void Show(DisplayRun& run, uint32_t stamp);
    void Paint(DisplayRun& run, bool fresh);
    void DisplayEnded();
    bool DisplayRunning();

    const int port;
    const bool framed;
    const unsigned bufferSize;
    std::atomic<HWND> window{nullptr};
    // Set by Refresh, taken by the display thread's next look at the window.
    std::atomic<bool> refreshPending{false};
    CWakeEvent wake{CWakeEvent::Mode::Once};

    // Guards everything below; never held while a callback runs or a frame decodes.
    CCriticalSection lock;
    LumoDisplayCallBack display = nullptr;
    CBlockQueue queue;
    CFramePacer pacer;
    PlayState state = Stopped;
    bool displayRunning = false;
    bool stopping = false;
    bool resetPending = false;
    // The display thread found the queue empty: the next input that ends a frame wakes it.
    bool awaitingInput = false;
};
