#include "player/VaroPlayer.h"

#include "platform/LockGuard.h"
#include "rtsp/Url.h"

#include <cstring>
#include <new>

namespace {

constexpr unsigned StateBit(int state)
{
    return 1u << state;
}

const unsigned kAnyState = StateBit(CVaroPlayer::Opened) | StateBit(CVaroPlayer::Playing) |
                           StateBit(CVaroPlayer::Paused) | StateBit(CVaroPlayer::Idle);
const unsigned kStreaming = StateBit(CVaroPlayer::Playing) | StateBit(CVaroPlayer::Paused);
const unsigned kNotIdle = kAnyState & ~StateBit(CVaroPlayer::Idle);

} // namespace

CVaroPlayer::CVaroPlayer(int playerId, CPortPool& udpPorts, CPortPool& tcpPorts)
    : id(playerId), udpPorts(udpPorts), tcpPorts(tcpPorts)
{
}

CVaroPlayer::~CVaroPlayer()
{
    ReleaseSource();
}

template <typename Operation>
int CVaroPlayer::Forward(unsigned allowedStates, Operation operation)
{
    CLockGuard guard(lock);
    if (!source || !(allowedStates & StateBit(state)))
        return -1;
    return operation(*source);
}

// Picture parameters and camera commands exist only for the live stream, while it plays.
template <typename Operation>
int CVaroPlayer::ForwardLive(Operation operation)
{
    CLockGuard guard(lock);
    if (!IsLiveStreamPath(path))
        return -1;
    return Forward(StateBit(Playing), operation);
}

// Ends the source without TEARDOWN. Its keep-alive thread owns it from here on and frees it.
int CVaroPlayer::ReleaseSource()
{
    if (!source)
        return -1;
    int result = source->Destroy();
    source.release();
    return result;
}

int CVaroPlayer::Configure(HWND newWindow, CStreamNotify* newNotify, StreamDataCallBack newDataCallBack,
                           StreamMessageCallBack newMessageCallBack, int newUdpFlag)
{
    CLockGuard guard(lock);
    if (state == Opened)
        return -1;
    window = newWindow;
    notify = newNotify;
    dataCallBack = newDataCallBack;
    messageCallBack = newMessageCallBack;
    udpFlag = newUdpFlag;
    return 0;
}

int CVaroPlayer::OpenURL(const char* urlText, void* user)
{
    CLockGuard guard(lock);
    if (state != Idle || !urlText)
        return -1;
    // A source kept from an earlier failed open goes before a new one is made.
    ReleaseSource();
    CUrl url(urlText);
    const std::string& urlPath = url.GetPath();
    if (urlPath.size() > kPathSize - 1)
        return -1;
    memcpy(path, urlPath.c_str(), urlPath.size() + 1);
    userValue = user;
    if (!url.IsValid())
        return -1;
    if (url.GetSchemeType() == CUrl::Rtsp)
        source.reset(new (std::nothrow) CRtspSource(udpPorts, tcpPorts));
    if (!source)
        return -1;
    if (source->InitSource(id, userValue, window, notify, dataCallBack, messageCallBack, udpFlag) == -1) {
        // No keep-alive thread took charge of it: it is freed here.
        source->FreeSource();
        source.reset();
        return -1;
    }
    int result = source->OpenUrl(urlText);
    if (result == 0)
        state = Opened;
    return result;
}

// Moves from one state to another when the source's request succeeds.
template <typename Operation>
int CVaroPlayer::Transition(int from, int to, Operation operation)
{
    return Forward(StateBit(from), [this, to, &operation](CRtspSource& s) {
        int result = operation(s);
        if (result == 0)
            state = to;
        return result;
    });
}

int CVaroPlayer::Begin()
{
    CLockGuard guard(lock);
    if (!source || state != Opened) {
        DebugOutput("zrk--------client CVaroPlayer Begin failed 1\n");
        return -1;
    }
    return Transition(Opened, Playing, [](CRtspSource& s) { return s.Play(); });
}

int CVaroPlayer::Pause()
{
    return Transition(Playing, Paused, [](CRtspSource& s) { return s.Pause(); });
}

int CVaroPlayer::Resume()
{
    return Transition(Paused, Playing, [](CRtspSource& s) { return s.Resume(); });
}

int CVaroPlayer::RandomPlay(int seconds)
{
    return Forward(kStreaming, [seconds](CRtspSource& s) { return s.RandomPlay(seconds); });
}

int CVaroPlayer::ChangeRate(int rate)
{
    return Forward(StateBit(Playing), [rate](CRtspSource& s) { return s.ChangeRate(rate); });
}

int CVaroPlayer::GetCurTime(unsigned* time)
{
    return Forward(StateBit(Playing), [time](CRtspSource& s) { return s.GetCurTime(time); });
}

int CVaroPlayer::SetVolume(int volume)
{
    return Forward(kNotIdle, [volume](CRtspSource& s) { return s.SetVolume(volume); });
}

int CVaroPlayer::ThrowBFrameNum(int count)
{
    return Forward(kAnyState, [count](CRtspSource& s) { return s.ThrowBFrameNum(count); });
}

int CVaroPlayer::OpenSound(int exclusive)
{
    return Forward(kAnyState, [exclusive](CRtspSource& s) { return s.OpenSound(exclusive); });
}

int CVaroPlayer::CloseSound()
{
    return Forward(kAnyState, [](CRtspSource& s) { return s.CloseSound(); });
}

int CVaroPlayer::ResetWndHandle(HWND newWindow)
{
    return Forward(kAnyState, [this, newWindow](CRtspSource& s) {
        window = newWindow;
        return s.ResetWndHandle(newWindow);
    });
}

int CVaroPlayer::ResetDataCallBack(StreamDataCallBack callback)
{
    CLockGuard guard(lock);
    // Kept even without a source: the next OpenURL hands it on.
    dataCallBack = callback;
    return Forward(kAnyState, [callback](CRtspSource& s) { return s.ResetDataCallBack(callback); });
}

int CVaroPlayer::GetHeader(unsigned char* buffer, int size)
{
    return Forward(kAnyState, [buffer, size](CRtspSource& s) { return s.GetHeader(buffer, size); });
}

int CVaroPlayer::RefreshPlay()
{
    return Forward(kAnyState, [](CRtspSource& s) { return s.RefreshPlay(); });
}

int CVaroPlayer::GetPlayPort()
{
    return Forward(kAnyState, [](CRtspSource& s) { return s.GetPlayPort(); });
}

int CVaroPlayer::SetDDrawDevice(int device)
{
    return Forward(kAnyState, [device](CRtspSource& s) { return s.SetDDrawDevice(device); });
}

int CVaroPlayer::InitDDrawDevice()
{
    return Forward(kAnyState, [](CRtspSource& s) { return s.InitDDrawDevice(); });
}

void CVaroPlayer::ReleaseDDrawDevice()
{
    Forward(kAnyState, [](CRtspSource& s) {
        s.ReleaseDDrawDevice();
        return 0;
    });
}

int CVaroPlayer::GetVideoParams(int* brightness, int* contrast, int* saturation, int* hue)
{
    return ForwardLive([=](CRtspSource& s) { return s.GetVideoParams(brightness, contrast, saturation, hue); });
}

int CVaroPlayer::SetVideoParams(int brightness, int contrast, int saturation, int hue)
{
    return ForwardLive([=](CRtspSource& s) { return s.SetVideoParams(brightness, contrast, saturation, hue); });
}

int CVaroPlayer::PTZControl(int command, int param1, int param2, int param3, int param4)
{
    return ForwardLive([=](CRtspSource& s) { return s.PTZControl(command, param1, param2, param3, param4); });
}

HWND CVaroPlayer::GetWndHandle()
{
    CLockGuard guard(lock);
    return window;
}

int CVaroPlayer::Stop()
{
    CLockGuard guard(lock);
    if (!source)
        return -1;
    if (state == Idle) {
        // Only a source kept from a failed open: released as Destroy releases it.
        ReleaseSource();
        return -1;
    }
    state = Idle;
    int result = source->Stop();
    // The source's keep-alive thread owns it from here on and frees it.
    source.release();
    return result;
}

int CVaroPlayer::Destroy()
{
    CLockGuard guard(lock);
    if (!source)
        return -1;
    state = Idle;
    return ReleaseSource();
}
