// The VAROS_ names: the same exports again, for hosts written against that prefix.
#include "streamclient.h"

extern "C" {

int STREAMCLIENT_CALL VAROS_CreatePlayer(CStreamNotify* notify, HWND window, StreamDataCallBack dataCallBack,
                                         StreamMessageCallBack messageCallBack, int udp)
{
    return StreamClient_CreatePlayer(notify, window, dataCallBack, messageCallBack, udp);
}

int STREAMCLIENT_CALL VAROS_OpenURL(int playerId, const char* url, void* user)
{
    return StreamClient_OpenURL(playerId, url, user);
}

int STREAMCLIENT_CALL VAROS_Play(int playerId)
{
    return StreamClient_Play(playerId);
}

int STREAMCLIENT_CALL VAROS_RandomPlay(int playerId, int seconds)
{
    return StreamClient_RandomPlay(playerId, seconds);
}

int STREAMCLIENT_CALL VAROS_Pause(int playerId)
{
    return StreamClient_Pause(playerId);
}

int STREAMCLIENT_CALL VAROS_Resume(int playerId)
{
    return StreamClient_Resume(playerId);
}

int STREAMCLIENT_CALL VAROS_Stop(int playerId)
{
    return StreamClient_Stop(playerId);
}

int STREAMCLIENT_CALL VAROS_ChangeRate(int playerId, int rate)
{
    return StreamClient_ChangeRate(playerId, rate);
}

int STREAMCLIENT_CALL VAROS_Destroy(int playerId)
{
    return StreamClient_Destroy(playerId);
}

int STREAMCLIENT_CALL VAROS_GetVideoParams(int playerId, int* brightness, int* contrast, int* saturation, int* hue)
{
    return StreamClient_GetVideoParams(playerId, brightness, contrast, saturation, hue);
}

int STREAMCLIENT_CALL VAROS_SetVideoParams(int playerId, int brightness, int contrast, int saturation, int hue)
{
    return StreamClient_SetVideoParams(playerId, brightness, contrast, saturation, hue);
}

int STREAMCLIENT_CALL VAROS_PTZControl(int playerId, int command, int param1, int param2, int param3, int param4)
{
    return StreamClient_PTZControl(playerId, command, param1, param2, param3, param4);
}

int STREAMCLIENT_CALL VAROS_GetCurTime(int playerId, unsigned int* seconds)
{
    return StreamClient_GetCurTime(playerId, seconds);
}

int STREAMCLIENT_CALL VAROS_SetVolume(int playerId, int volume)
{
    return StreamClient_SetVolume(playerId, volume);
}

int STREAMCLIENT_CALL VAROS_OpenSound(int playerId, int exclusive)
{
    return StreamClient_OpenSound(playerId, exclusive);
}

int STREAMCLIENT_CALL VAROS_CloseSound(int playerId)
{
    return StreamClient_CloseSound(playerId);
}

int STREAMCLIENT_CALL VAROS_ThrowBFrameNum(int playerId, int count)
{
    return StreamClient_ThrowBFrameNum(playerId, count);
}

int STREAMCLIENT_CALL VAROS_GrabPic(int playerId, const char* path, int format)
{
    return StreamClient_GrabPic(playerId, path, format);
}

int STREAMCLIENT_CALL VAROS_ResetWndHandle(int playerId, HWND window)
{
    return StreamClient_ResetWndHandle(playerId, window);
}

int STREAMCLIENT_CALL VAROS_ResetDataCallBack(int playerId, StreamDataCallBack dataCallBack)
{
    return StreamClient_ResetDataCallBack(playerId, dataCallBack);
}

int STREAMCLIENT_CALL VAROS_GetHeader(int playerId, unsigned char* buffer, int size)
{
    return StreamClient_GetHeader(playerId, buffer, size);
}

int STREAMCLIENT_CALL VAROS_RefreshPlay(int playerId)
{
    return StreamClient_RefreshPlay(playerId);
}

bool STREAMCLIENT_CALL VAROS_PTZSelZoomIn(int playerId, const int* area)
{
    return StreamClient_PTZSelZoomIn(playerId, area);
}

bool STREAMCLIENT_CALL VAROS_GetPlayPort(int playerId, int* port)
{
    return StreamClient_GetPlayPort(playerId, port);
}

bool STREAMCLIENT_CALL VAROS_SetDDrawDevice(int playerId, int device)
{
    return StreamClient_SetDDrawDevice(playerId, device);
}

bool STREAMCLIENT_CALL VAROS_InitDDrawDevice(int playerId)
{
    return StreamClient_InitDDrawDevice(playerId);
}

void STREAMCLIENT_CALL VAROS_ReleaseDDrawDevice(int playerId)
{
    StreamClient_ReleaseDDrawDevice(playerId);
}

} // extern "C"
