#include "rtsp/RtspSource.h"

// Not yet able to stream: without a control connection and a media transport no source can
// start, so InitSource refuses and every other operation finds nothing to work on.

int CRtspSource::InitSource(int, void*, HWND, CStreamNotify*, StreamDataCallBack, StreamMessageCallBack, int)
{
    return -1;
}

int CRtspSource::OpenUrl(const char*)
{
    return -1;
}

int CRtspSource::Stop()
{
    return 0;
}

int CRtspSource::Destroy()
{
    return 0;
}

void CRtspSource::FreeSource() {}

int CRtspSource::Play()
{
    return -1;
}

int CRtspSource::RandomPlay(int)
{
    return -1;
}

int CRtspSource::Pause()
{
    return -1;
}

int CRtspSource::Resume()
{
    return -1;
}

int CRtspSource::ChangeRate(int)
{
    return -1;
}

int CRtspSource::GetVideoParams(int*, int*, int*, int*)
{
    return -1;
}

int CRtspSource::SetVideoParams(int, int, int, int)
{
    return -1;
}

int CRtspSource::PTZControl(int, int, int, int, int)
{
    return -1;
}

int CRtspSource::SetVolume(int)
{
    return -1;
}

int CRtspSource::ThrowBFrameNum(int)
{
    return -1;
}

int CRtspSource::OpenSound(int)
{
    return -1;
}

int CRtspSource::CloseSound()
{
    return -1;
}

int CRtspSource::RefreshPlay()
{
    return -1;
}

int CRtspSource::GetCurTime(unsigned*)
{
    return -1;
}

int CRtspSource::GetPlayPort()
{
    return -1;
}

int CRtspSource::SetDDrawDevice(int)
{
    return -1;
}

int CRtspSource::InitDDrawDevice()
{
    return -1;
}

void CRtspSource::ReleaseDDrawDevice() {}

int CRtspSource::ResetDataCallBack(StreamDataCallBack)
{
    return -1;
}

int CRtspSource::GetHeader(unsigned char*, int)
{
    return -1;
}

int CRtspSource::ResetWndHandle(HWND)
{
    return -1;
}
