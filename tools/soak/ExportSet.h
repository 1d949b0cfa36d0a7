#pragma once

#include "streamclient.h"

// One of the two sets of exports, StreamClient_ or VAROS_, as pointers: the soak calls both
// through the same code, so a twin that behaves differently shows in the same checks.
struct ExportSet {
    const char* prefix;
    decltype(&StreamClient_CreatePlayer) CreatePlayer;
    decltype(&StreamClient_OpenURL) OpenURL;
    decltype(&StreamClient_Play) Play;
    decltype(&StreamClient_RandomPlay) RandomPlay;
    decltype(&StreamClient_Pause) Pause;
    decltype(&StreamClient_Resume) Resume;
    decltype(&StreamClient_Stop) Stop;
    decltype(&StreamClient_ChangeRate) ChangeRate;
    decltype(&StreamClient_Destroy) Destroy;
    decltype(&StreamClient_GetVideoParams) GetVideoParams;
    decltype(&StreamClient_SetVideoParams) SetVideoParams;
    decltype(&StreamClient_PTZControl) PTZControl;
    decltype(&StreamClient_GetCurTime) GetCurTime;
    decltype(&StreamClient_SetVolume) SetVolume;
    decltype(&StreamClient_OpenSound) OpenSound;
    decltype(&StreamClient_CloseSound) CloseSound;
    decltype(&StreamClient_ThrowBFrameNum) ThrowBFrameNum;
    decltype(&StreamClient_GrabPic) GrabPic;
    decltype(&StreamClient_ResetWndHandle) ResetWndHandle;
    decltype(&StreamClient_ResetDataCallBack) ResetDataCallBack;
    decltype(&StreamClient_GetHeader) GetHeader;
    decltype(&StreamClient_RefreshPlay) RefreshPlay;
    decltype(&StreamClient_PTZSelZoomIn) PTZSelZoomIn;
    decltype(&StreamClient_GetPlayPort) GetPlayPort;
    decltype(&StreamClient_SetDDrawDevice) SetDDrawDevice;
    decltype(&StreamClient_InitDDrawDevice) InitDDrawDevice;
    decltype(&StreamClient_ReleaseDDrawDevice) ReleaseDDrawDevice;

    static const ExportSet streamClient;
    static const ExportSet varos;
};
