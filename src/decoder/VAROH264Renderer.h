#pragma once

#include "platform/platform.h"
#include "decoder/lumodec.h"

#include <atomic>

// Puts one player's stream onto the screen through the decoder library: holds one decoder
// port, opens a decoder stream from the stream header, feeds it the received media and maps
// play, pause, stop, rate, sound, volume and display-device requests onto the library.
//
// It has no lock. InputData (and Stop with the destructor at the stream's end) run on the
// transport's receive thread while the RTSP source and the host's thread drive the rest, so
// the fields that decide readiness and play state are atomic.
class CVAROH264Renderer {
public:
    enum PlayState { Playing = 0, Paused = 1, Stopped = 2 };
    enum SoundMode { NoSound = 0, SharedSound = 1, ExclusiveSound = 2 };
    // What the decoder stream is opened with: a fixed source buffer.
    static constexpr int kSourceBufferSize = 1310720;
    // A longer stream header is refused: it would not fit the field that keeps it.
    static constexpr int kMaxHeaderLength = 40;
    // A refused block is offered this many times, 10 ms apart, then dropped.
    static constexpr int kInputAttempts = 4;

    CVAROH264Renderer() = default;
    virtual ~CVAROH264Renderer();
    CVAROH264Renderer(const CVAROH264Renderer&) = delete;
    CVAROH264Renderer& operator=(const CVAROH264Renderer&) = delete;

    virtual int Init(int id, HWND window, bool fileMode);
    virtual void Close();
    virtual int OpenStream(const unsigned char* header, int length);
    virtual int InputData(const unsigned char* data, int length);
    virtual int Play();
    virtual int ResetSourceBuffer();
    virtual int Pause();
    virtual int Stop();
    virtual int GetPlayedTime(unsigned* time);
    virtual int SetRate(int step);
    virtual int SetVolume(int volume);
    virtual int RefreshPlay();
    virtual int RegisterDrawFun(LumoDrawCallBack drawCallBack, void* user);

    int ThrowBFrameNum(int count);
    int OpenSound(bool exclusive);
    int CloseSound();
    int ResetWndHandle(HWND window, int id, const unsigned char* header, int length, bool fileMode);
    int GetPort() const { return port.load(std::memory_order_acquire); }
    int SetDDrawDevice(int device);
    int InitDDrawDevice();
    void ReleaseDDrawDevice();

private:
    bool IsReady() const;
    void ReleasePort();

    std::atomic<int> slotIndex{-1};
    HWND window = nullptr;
    std::atomic<bool> initialised{false};
    unsigned char header[kMaxHeaderLength] = {};
    unsigned headerLength = 0;
    bool fileMode = false;
    std::atomic<unsigned> playState{Stopped};
    unsigned soundMode = NoSound;
    std::atomic<int> port{-1};
};
