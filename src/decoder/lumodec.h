// Every call the client makes into the decoder/player library, declared once. Ports are handed
// out by the library; every stream call names one. Unless said otherwise a call returns nonzero
// on success.
#pragma once

#include "platform/platform.h"

#ifdef _WIN32
#define LUMO_CALL __stdcall
#else
#define LUMO_CALL
#endif

#if defined(LUMODEC_BUILD) && !defined(_WIN32)
#define LUMO_EXPORT __attribute__((visibility("default")))
#else
#define LUMO_EXPORT
#endif

// Called on the library's display thread for each frame shown while registered. No call begins
// once Lumo_Stop, Lumo_CloseStream or Lumo_FreePort of the port has returned, nor once
// Lumo_SetDisplayCallBack has replaced the callback; one already running may finish after.
typedef void(LUMO_CALL* LumoDisplayCallBack)(int port, const unsigned char* picture, int size, int width, int height,
                                             int timeStamp, int pictureType, int reserved);
// Called by the library when it draws a frame into the window; nothing in the client uses it.
typedef void(LUMO_CALL* LumoDrawCallBack)(int port, void* deviceContext, void* user);

// Stream open modes of Lumo_SetStreamOpenMode.
enum { LUMO_STREAM_REALTIME = 0, LUMO_STREAM_FILE = 1 };

extern "C" {

LUMO_EXPORT int LUMO_CALL Lumo_GetPort(int* port);
LUMO_EXPORT int LUMO_CALL Lumo_FreePort(int port);
LUMO_EXPORT int LUMO_CALL Lumo_SetStreamOpenMode(int port, int mode);
LUMO_EXPORT int LUMO_CALL Lumo_OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize);
LUMO_EXPORT int LUMO_CALL Lumo_CloseStream(int port);
// Zero means "not now": the caller may retry.
LUMO_EXPORT int LUMO_CALL Lumo_InputData(int port, const unsigned char* data, int length);
LUMO_EXPORT int LUMO_CALL Lumo_Play(int port, HWND window);
// pause 1 holds the picture, 0 continues.
LUMO_EXPORT int LUMO_CALL Lumo_Pause(int port, int pause);
LUMO_EXPORT int LUMO_CALL Lumo_Stop(int port);
LUMO_EXPORT int LUMO_CALL Lumo_ResetSourceBuffer(int port);
// The played time, in units of 64 ms.
LUMO_EXPORT unsigned LUMO_CALL Lumo_GetPlayedTimeEx(int port);
LUMO_EXPORT int LUMO_CALL Lumo_Fast(int port);
LUMO_EXPORT int LUMO_CALL Lumo_Slow(int port);
LUMO_EXPORT int LUMO_CALL Lumo_SetVolume(int port, int volume);
LUMO_EXPORT int LUMO_CALL Lumo_PlaySound(int port);
LUMO_EXPORT int LUMO_CALL Lumo_PlaySoundShare(int port);
LUMO_EXPORT int LUMO_CALL Lumo_StopSound();
LUMO_EXPORT int LUMO_CALL Lumo_StopSoundShare(int port);
LUMO_EXPORT int LUMO_CALL Lumo_RefreshPlay(int port);
LUMO_EXPORT int LUMO_CALL Lumo_RegisterDrawFun(int port, LumoDrawCallBack drawCallBack, void* user);
LUMO_EXPORT int LUMO_CALL Lumo_ThrowBFrameNum(int port, int count);
LUMO_EXPORT int LUMO_CALL Lumo_SetDDrawDevice(int port, int device);
LUMO_EXPORT int LUMO_CALL Lumo_InitDDrawDevice();
LUMO_EXPORT int LUMO_CALL Lumo_ReleaseDDrawDevice();
// A null callback removes the registration.
LUMO_EXPORT int LUMO_CALL Lumo_SetDisplayCallBack(int port, LumoDisplayCallBack displayCallBack);
LUMO_EXPORT int LUMO_CALL Lumo_ConvertToBmpFile(const unsigned char* picture, int size, int width, int height,
                                                int pictureType, const char* path);
LUMO_EXPORT int LUMO_CALL Lumo_ConvertToJpegFile(const unsigned char* picture, int size, int width, int height,
                                                 int pictureType, const char* path);

} // extern "C"
