// The exported functions: each checks its arguments, runs the common course of CallPlayer on
// its player and maps the player's result.
#include "api/ExportCall.h"
#include "api/PlayedTime.h"
#include "api/PlayerRegistry.h"
#include "api/SnapshotTable.h"
#include "api/StreamClientLib.h"
#include "player/VaroPlayer.h"
#include "streamclient.h"

namespace {

const ExportMessages kOpenUrlMessages = {
    "zrk--------client StreamClient_OpenURL failed 1\n",
    "zrk--------client StreamClient_OpenURL failed 2\n",
    "zrk--------client StreamClient_OpenURL failed 3\n",
    "zrk--------client StreamClient_OpenURL failed 4\n",
};

// The player writes its own line when it refuses to play.
const ExportMessages kPlayMessages = {
    "zrk--------client StreamClient_Play failed 1\n",
    "zrk--------client StreamClient_Play failed 2\n",
    "zrk--------client StreamClient_Play failed 3\n",
    nullptr,
};

// Camera command that zooms into the rectangle given as its four parameters.
const int kZoomInCommand = 71;
const int kMaxVideoParam = 255;

// The stream-control exports report success as 1.
int OneOnSuccess(int result)
{
    return result == 0 ? 1 : result;
}

bool IsVideoParam(int value)
{
    return value >= 0 && value <= kMaxVideoParam;
}

} // namespace

extern "C" {

int STREAMCLIENT_CALL InitStreamClientLib()
{
    return CStreamClientLib::Instance().Init();
}

int STREAMCLIENT_CALL FiniStreamClientLib()
{
    return 0;
}

int STREAMCLIENT_CALL StreamClient_CreatePlayer(CStreamNotify* notify, HWND window, StreamDataCallBack dataCallBack,
                                                StreamMessageCallBack messageCallBack, int udp)
{
    if (!notify && !messageCallBack) {
        DebugOutput("zrk--------client StreamClient_CreatePlayer failed 1\n");
        return -1;
    }
    CVaroPlayer* player = CPlayerRegistry::GetInstance()->CreatePlayer();
    if (!player) {
        DebugOutput("zrk--------client StreamClient_CreatePlayer failed 2\n");
        return -1;
    }
    player->Configure(window, notify, dataCallBack, messageCallBack, udp);
    return CPlayerRegistry::GetInstance()->AddPlayer(player);
}

int STREAMCLIENT_CALL StreamClient_OpenURL(int playerId, const char* url, void* user)
{
    return OneOnSuccess(
        CallPlayer(playerId, &kOpenUrlMessages, [url, user](CVaroPlayer& p) { return p.OpenURL(url, user); }));
}

int STREAMCLIENT_CALL StreamClient_Play(int playerId)
{
    return OneOnSuccess(CallPlayer(playerId, &kPlayMessages, [](CVaroPlayer& p) { return p.Begin(); }));
}

int STREAMCLIENT_CALL StreamClient_RandomPlay(int playerId, int seconds)
{
    return OneOnSuccess(CallPlayer(playerId, nullptr, [seconds](CVaroPlayer& p) { return p.RandomPlay(seconds); }));
}

int STREAMCLIENT_CALL StreamClient_Pause(int playerId)
{
    return OneOnSuccess(CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.Pause(); }));
}

int STREAMCLIENT_CALL StreamClient_Resume(int playerId)
{
    return OneOnSuccess(CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.Resume(); }));
}

int STREAMCLIENT_CALL StreamClient_Stop(int playerId)
{
    return CallPlayer(playerId, nullptr, [](CVaroPlayer& p) {
        int result = p.Stop();
        CPlayerRegistry::GetInstance()->DestroyPlayer(&p);
        return result;
    });
}

int STREAMCLIENT_CALL StreamClient_ChangeRate(int playerId, int rate)
{
    return CallPlayer(playerId, nullptr, [rate](CVaroPlayer& p) { return p.ChangeRate(rate); });
}

int STREAMCLIENT_CALL StreamClient_Destroy(int playerId)
{
    return CallPlayer(playerId, nullptr, [](CVaroPlayer& p) {
        p.Destroy();
        return CPlayerRegistry::GetInstance()->DestroyPlayer(&p);
    });
}

int STREAMCLIENT_CALL StreamClient_GetVideoParams(int playerId, int* brightness, int* contrast, int* saturation,
                                                  int* hue)
{
    if (!brightness || !contrast || !saturation || !hue)
        return -1;
    return CallPlayer(playerId, nullptr,
                      [=](CVaroPlayer& p) { return p.GetVideoParams(brightness, contrast, saturation, hue); });
}

int STREAMCLIENT_CALL StreamClient_SetVideoParams(int playerId, int brightness, int contrast, int saturation, int hue)
{
    if (!IsVideoParam(brightness) || !IsVideoParam(contrast) || !IsVideoParam(saturation) || !IsVideoParam(hue))
        return -1;
    return CallPlayer(playerId, nullptr,
                      [=](CVaroPlayer& p) { return p.SetVideoParams(brightness, contrast, saturation, hue); });
}

int STREAMCLIENT_CALL StreamClient_PTZControl(int playerId, int command, int param1, int param2, int param3,
                                              int param4)
{
    return CallPlayer(playerId, nullptr,
                      [=](CVaroPlayer& p) { return p.PTZControl(command, param1, param2, param3, param4); });
}

int STREAMCLIENT_CALL StreamClient_GetCurTime(int playerId, unsigned int* seconds)
{
    if (!seconds)
        return -1;
    return CallPlayer(playerId, nullptr, [seconds](CVaroPlayer& p) {
        int result = p.GetCurTime(seconds);
        if (result == 0 && *seconds != 0)
            *seconds = PlayedUnitsToSeconds(*seconds);
        return result;
    });
}

int STREAMCLIENT_CALL StreamClient_SetVolume(int playerId, int volume)
{
    return CallPlayer(playerId, nullptr, [volume](CVaroPlayer& p) { return p.SetVolume(volume); });
}

int STREAMCLIENT_CALL StreamClient_OpenSound(int playerId, int exclusive)
{
    // Only the low byte counts: the flag has always travelled as a one-byte boolean.
    int exclusiveFlag = (exclusive & 0xff) != 0 ? 1 : 0;
    return CallPlayer(playerId, nullptr, [exclusiveFlag](CVaroPlayer& p) { return p.OpenSound(exclusiveFlag); });
}

int STREAMCLIENT_CALL StreamClient_CloseSound(int playerId)
{
    return CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.CloseSound(); });
}

int STREAMCLIENT_CALL StreamClient_ThrowBFrameNum(int playerId, int count)
{
    return CallPlayer(playerId, nullptr, [count](CVaroPlayer& p) { return p.ThrowBFrameNum(count); });
}

int STREAMCLIENT_CALL StreamClient_GrabPic(int playerId, const char* path, int format)
{
    if (!path)
        return -1;
    return CallPlayer(playerId, nullptr, [path, format](CVaroPlayer& p) {
        if (!p.GetWndHandle())
            return -1;
        int port = p.GetPlayPort();
        if (port < 0)
            return -1;
        return CSnapshotTable::Instance().Request(port, path, format);
    });
}

int STREAMCLIENT_CALL StreamClient_ResetWndHandle(int playerId, HWND window)
{
    return CallPlayer(playerId, nullptr, [window](CVaroPlayer& p) { return p.ResetWndHandle(window); });
}

int STREAMCLIENT_CALL StreamClient_ResetDataCallBack(int playerId, StreamDataCallBack dataCallBack)
{
    return CallPlayer(playerId, nullptr, [dataCallBack](CVaroPlayer& p) { return p.ResetDataCallBack(dataCallBack); });
}

int STREAMCLIENT_CALL StreamClient_GetHeader(int playerId, unsigned char* buffer, int size)
{
    if (!buffer)
        return -1;
    return CallPlayer(playerId, nullptr, [buffer, size](CVaroPlayer& p) { return p.GetHeader(buffer, size); });
}

int STREAMCLIENT_CALL StreamClient_RefreshPlay(int playerId)
{
    return CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.RefreshPlay(); });
}

bool STREAMCLIENT_CALL StreamClient_PTZSelZoomIn(int playerId, const int* area)
{
    if (!area)
        return false;
    return CallPlayer(playerId, nullptr, [area](CVaroPlayer& p) {
               return p.PTZControl(kZoomInCommand, area[0], area[1], area[2], area[3]);
           }) != -1;
}

bool STREAMCLIENT_CALL StreamClient_GetPlayPort(int playerId, int* port)
{
    if (!port)
        return false;
    int value = CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.GetPlayPort(); });
    if (value < 0)
        return false;
    *port = value;
    return true;
}

bool STREAMCLIENT_CALL StreamClient_SetDDrawDevice(int playerId, int device)
{
    return CallPlayer(playerId, nullptr, [device](CVaroPlayer& p) { return p.SetDDrawDevice(device); }) >= 0;
}

bool STREAMCLIENT_CALL StreamClient_InitDDrawDevice(int playerId)
{
    return CallPlayer(playerId, nullptr, [](CVaroPlayer& p) { return p.InitDDrawDevice(); }) >= 0;
}

void STREAMCLIENT_CALL StreamClient_ReleaseDDrawDevice(int playerId)
{
    CallPlayer(playerId, nullptr, [](CVaroPlayer& p) {
        p.ReleaseDDrawDevice();
        return 0;
    });
}

} // extern "C"
