#pragma once

#include "platform/CriticalSection.h"
#include "rtsp/RtspSource.h"
#include "streamclient.h"

#include <memory>

// The object behind one player id. It keeps what the host gave at creation, holds the player's
// state and owns the RTSP source of the stream it opened. Every operation takes the player lock
// for its whole run, checks the state, forwards to the source and records the new state.
class CVaroPlayer {
public:
    enum State { Opened = 0, Playing = 1, Paused = 2, Idle = 3 };
    // The path of the URL last opened, with its terminating zero.
    static constexpr int kPathSize = 1024;

    // The pools outlive the player: its sources take their client ports from them.
    CVaroPlayer(int id, CPortPool& udpPorts, CPortPool& tcpPorts);
    ~CVaroPlayer();
    CVaroPlayer(const CVaroPlayer&) = delete;
    CVaroPlayer& operator=(const CVaroPlayer&) = delete;

    int GetId() const { return id; }

    int Configure(HWND window, CStreamNotify* notify, StreamDataCallBack dataCallBack,
                  StreamMessageCallBack messageCallBack, int udpFlag);
    int OpenURL(const char* url, void* user);
    int Begin();
    int Pause();
    int Resume();
    int RandomPlay(int seconds);
    int ChangeRate(int rate);
    int GetCurTime(unsigned* time);
    int SetVolume(int volume);
    int ThrowBFrameNum(int count);
    int OpenSound(int exclusive);
    int CloseSound();
    int ResetWndHandle(HWND window);
    int ResetDataCallBack(StreamDataCallBack callback);
    int GetHeader(unsigned char* buffer, int size);
    int RefreshPlay();
    int GetPlayPort();
    int SetDDrawDevice(int device);
    int InitDDrawDevice();
    void ReleaseDDrawDevice();
    int GetVideoParams(int* brightness, int* contrast, int* saturation, int* hue);
    int SetVideoParams(int brightness, int contrast, int saturation, int hue);
    int PTZControl(int command, int param1, int param2, int param3, int param4);
    HWND GetWndHandle();
    int Stop();
    int Destroy();

private:
    template <typename Operation>
    int Forward(unsigned allowedStates, Operation operation);
    template <typename Operation>
    int ForwardLive(Operation operation);
    template <typename Operation>
    int Transition(int from, int to, Operation operation);
    int ReleaseSource();

    HWND window = nullptr;
    StreamDataCallBack dataCallBack = nullptr;
    CStreamNotify* notify = nullptr;
    StreamMessageCallBack messageCallBack = nullptr;
    CCriticalSection lock;
    int id;
    CPortPool& udpPorts;
    CPortPool& tcpPorts;
    void* userValue = nullptr;
    std::unique_ptr<CRtspSource> source;
    int state = Idle;
    int udpFlag = 0;
    char path[kPathSize] = {};
};
