#pragma once

#include "platform/platform.h"
#include "streamclient.h"

// The media source of one player whose URL is an rtsp URL: it connects to the server, sets the
// stream up, drives it with the control connection, feeds the media transport and keeps the
// connection alive. The player owns it until Stop or Destroy; from then on its keep-alive
// thread owns it and frees it.
class CRtspSource {
public:
    CRtspSource() = default;
    ~CRtspSource() = default;
    CRtspSource(const CRtspSource&) = delete;
    CRtspSource& operator=(const CRtspSource&) = delete;

    // Life cycle. udpFlag nonzero selects RTP over UDP, zero RTP over TCP.
    int InitSource(int playerId, void* userValue, HWND wndHandle, CStreamNotify* notify,
                   StreamDataCallBack dataCallBack, StreamMessageCallBack messageCallBack, int udpFlag);
    int OpenUrl(const char* urlText);
    int Stop();
    int Destroy();
    void FreeSource();

    // Stream control through the control connection; -1 without one.
    int Play();
    int RandomPlay(int seconds);
    int Pause();
    int Resume();
    int ChangeRate(int rate);
    int GetVideoParams(int* brightness, int* contrast, int* saturation, int* hue);
    int SetVideoParams(int brightness, int contrast, int saturation, int hue);
    int PTZControl(int command, int param1, int param2, int param3, int param4);

    // Decoder operations through the media transport's decoder adapter; -1 without one.
    int SetVolume(int volume);
    int ThrowBFrameNum(int count);
    int OpenSound(int exclusive);
    int CloseSound();
    int RefreshPlay();
    int GetCurTime(unsigned* time);
    int GetPlayPort();
    int SetDDrawDevice(int device);
    int InitDDrawDevice();
    void ReleaseDDrawDevice();

    int ResetDataCallBack(StreamDataCallBack callback);
    int GetHeader(unsigned char* buffer, int size);
    int ResetWndHandle(HWND window);
};
