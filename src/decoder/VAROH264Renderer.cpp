#include "decoder/VAROH264Renderer.h"
#include "platform/LibraryWaits.h"

#include <cstring>

CVAROH264Renderer::~CVAROH264Renderer()
{
    Close();
}

bool CVAROH264Renderer::IsReady() const
{
    return initialised.load(std::memory_order_acquire) && slotIndex.load(std::memory_order_acquire) >= 0 &&
           port.load(std::memory_order_acquire) >= 0;
}

void CVAROH264Renderer::ReleasePort()
{
    int held = port.exchange(-1, std::memory_order_acq_rel);
    if (held < 0)
        return;
    Lumo_CloseStream(held);
    Lumo_FreePort(held);
}

int CVAROH264Renderer::Init(int id, HWND newWindow, bool newFileMode)
{
    if (id < 0)
        return -1;
    slotIndex.store(id % 100, std::memory_order_release);
    window = newWindow;
    fileMode = newFileMode;
    initialised.store(true, std::memory_order_release);
    return 0;
}

void CVAROH264Renderer::Close()
{
    if (initialised.load(std::memory_order_acquire) && slotIndex.load(std::memory_order_acquire) != -1)
        ReleasePort();
    initialised.store(false, std::memory_order_release);
    slotIndex.store(-1, std::memory_order_release);
    window = nullptr;
    headerLength = 0;
    memset(header, 0, sizeof header);
}

int CVAROH264Renderer::OpenStream(const unsigned char* newHeader, int length)
{
    if (length < 0 || length > kMaxHeaderLength || (length > 0 && !newHeader))
        return -1;
    headerLength = static_cast<unsigned>(length);
    if (length > 0)
        memcpy(header, newHeader, headerLength);
    if (!initialised.load(std::memory_order_acquire) || slotIndex.load(std::memory_order_acquire) == -1)
        return -1;
    ReleasePort();
    int newPort = -1;
    if (!Lumo_GetPort(&newPort) || newPort < 0)
        return -1;
    port.store(newPort, std::memory_order_release);
    Lumo_SetStreamOpenMode(newPort, fileMode ? LUMO_STREAM_FILE : LUMO_STREAM_REALTIME);
    // A refused open keeps the port: Close or the next OpenStream frees it.
    return Lumo_OpenStream(newPort, header, static_cast<int>(headerLength), kSourceBufferSize) ? 0 : -1;
}

// Never queues: a block the library refuses kInputAttempts times is dropped, so one block
// holds the receive thread for about 40 ms at most. The port is read again before each attempt:
// once ResetWndHandle has closed it, the decoder library may already have handed the same
// number to another player, so a closed or changed port ends the attempts.
int CVAROH264Renderer::InputData(const unsigned char* data, int length)
{
    if (!IsReady())
        return -1;
    int target = GetPort();
    for (int attempt = 0; attempt < kInputAttempts && target >= 0 && GetPort() == target; ++attempt) {
        if (Lumo_InputData(target, data, length))
            return 0;
        Sleep(CLibraryWaits::Ms(CLibraryWaits::InputRetry));
    }
    return 0;
}

int CVAROH264Renderer::Play()
{
    if (!IsReady())
        return -1;
    unsigned state = playState.load(std::memory_order_acquire);
    if (state == Stopped) {
        Lumo_ResetSourceBuffer(GetPort());
        if (!Lumo_Play(GetPort(), window))
            return -1;
    } else if (state == Paused && !Lumo_Pause(GetPort(), 0)) {
        return -1;
    }
    playState.store(Playing, std::memory_order_release);
    return 0;
}

int CVAROH264Renderer::ResetSourceBuffer()
{
    if (!IsReady())
        return -1;
    Lumo_ResetSourceBuffer(GetPort());
    return 0;
}

int CVAROH264Renderer::Pause()
{
    if (!IsReady() || playState.load(std::memory_order_acquire) != Playing)
        return -1;
    if (!Lumo_Pause(GetPort(), 1))
        return -1;
    playState.store(Paused, std::memory_order_release);
    return 0;
}

int CVAROH264Renderer::Stop()
{
    if (!IsReady() || playState.load(std::memory_order_acquire) == Stopped)
        return -1;
    if (!Lumo_Stop(GetPort()))
        return -1;
    Lumo_ResetSourceBuffer(GetPort());
    playState.store(Stopped, std::memory_order_release);
    return 0;
}

// While paused or stopped the caller's value is left as it is.
int CVAROH264Renderer::GetPlayedTime(unsigned* time)
{
    if (!IsReady())
        return -1;
    if (playState.load(std::memory_order_acquire) == Playing && time)
        *time = Lumo_GetPlayedTimeEx(GetPort());
    return 0;
}

int CVAROH264Renderer::SetRate(int step)
{
    if (!IsReady())
        return -1;
    if (playState.load(std::memory_order_acquire) == Playing) {
        if (step > 0)
            Lumo_Fast(GetPort());
        else if (step < 0)
            Lumo_Slow(GetPort());
    }
    return 0;
}

int CVAROH264Renderer::SetVolume(int volume)
{
    if (!IsReady())
        return -1;
    if (playState.load(std::memory_order_acquire) != Stopped)
        Lumo_SetVolume(GetPort(), volume);
    return 0;
}

int CVAROH264Renderer::RefreshPlay()
{
    if (!IsReady())
        return -1;
    Lumo_RefreshPlay(GetPort());
    return 0;
}

int CVAROH264Renderer::RegisterDrawFun(LumoDrawCallBack drawCallBack, void* user)
{
    if (!IsReady())
        return -1;
    Lumo_RegisterDrawFun(GetPort(), drawCallBack, user);
    return 0;
}

// Asks only for a slot, not for initialisation: B frames can be set as soon as a port is held.
int CVAROH264Renderer::ThrowBFrameNum(int count)
{
    if (slotIndex.load(std::memory_order_acquire) < 0)
        return -1;
    if (GetPort() >= 0)
        Lumo_ThrowBFrameNum(GetPort(), count);
    return 0;
}

int CVAROH264Renderer::OpenSound(bool exclusive)
{
    if (!IsReady())
        return -1;
    if (exclusive) {
        Lumo_PlaySound(GetPort());
        soundMode = ExclusiveSound;
    } else {
        Lumo_PlaySoundShare(GetPort());
        soundMode = SharedSound;
    }
    return 0;
}

int CVAROH264Renderer::CloseSound()
{
    if (!IsReady())
        return -1;
    if (soundMode == SharedSound)
        Lumo_StopSoundShare(GetPort());
    else if (soundMode == ExclusiveSound)
        Lumo_StopSound();
    soundMode = NoSound;
    return 0;
}

int CVAROH264Renderer::ResetWndHandle(HWND newWindow, int id, const unsigned char* streamHeader, int length,
                                      bool newFileMode)
{
    if (newWindow == window)
        return 0;
    if (playState.load(std::memory_order_acquire) != Stopped)
        Stop();
    Close();
    if (!newWindow)
        return 0;
    if (Init(id, newWindow, newFileMode) == -1) {
        DebugOutput("zrk--------client CVAROH264Renderer ResetWndHandle failed 1\n");
        return -1;
    }
    if (OpenStream(streamHeader, length) == -1) {
        DebugOutput("zrk--------client CVAROH264Renderer ResetWndHandle failed 2\n");
        Close();
        return -1;
    }
    if (Play() == -1) {
        DebugOutput("zrk--------client CVAROH264Renderer ResetWndHandle failed 3\n");
        Stop();
        Close();
        return -1;
    }
    return 0;
}

int CVAROH264Renderer::SetDDrawDevice(int device)
{
    if (!IsReady())
        return -1;
    return Lumo_SetDDrawDevice(GetPort(), device) ? 0 : -1;
}

int CVAROH264Renderer::InitDDrawDevice()
{
    if (!IsReady())
        return -1;
    return Lumo_InitDDrawDevice() ? 0 : -1;
}

void CVAROH264Renderer::ReleaseDDrawDevice()
{
    if (IsReady())
        Lumo_ReleaseDDrawDevice();
}
