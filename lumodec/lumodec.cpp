// The decoder library's exported functions, over the stand-in's port table.
#include "BmpWriter.h"
#include "JpegWriter.h"
#include "LumoPortTable.h"

#include <cstddef>

namespace {
CLumoPortTable& Ports()
{
    return CLumoPortTable::Instance();
}

CYv12RgbReader Picture(const unsigned char* picture, int size, int width, int height, int pictureType)
{
    return CYv12RgbReader(picture, size > 0 ? static_cast<size_t>(size) : 0, width, height, pictureType);
}
} // namespace

extern "C" {

int LUMO_CALL Lumo_GetPort(int* port)
{
    return Ports().GetPort(port);
}

int LUMO_CALL Lumo_FreePort(int port)
{
    return Ports().FreePort(port);
}

int LUMO_CALL Lumo_SetStreamOpenMode(int port, int mode)
{
    return Ports().SetStreamOpenMode(port, mode);
}

int LUMO_CALL Lumo_OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize)
{
    return Ports().OpenStream(port, header, headerLength, bufferSize);
}

int LUMO_CALL Lumo_CloseStream(int port)
{
    return Ports().CloseStream(port);
}

int LUMO_CALL Lumo_InputData(int port, const unsigned char* data, int length)
{
    return Ports().InputData(port, data, length);
}

int LUMO_CALL Lumo_Play(int port, HWND window)
{
    return Ports().Play(port, window);
}

int LUMO_CALL Lumo_Pause(int port, int pause)
{
    return Ports().Pause(port, pause);
}

int LUMO_CALL Lumo_Stop(int port)
{
    return Ports().Stop(port);
}

int LUMO_CALL Lumo_ResetSourceBuffer(int port)
{
    return Ports().ResetSourceBuffer(port);
}

unsigned LUMO_CALL Lumo_GetPlayedTimeEx(int port)
{
    return Ports().GetPlayedTime(port);
}

int LUMO_CALL Lumo_Fast(int port)
{
    return Ports().StepRate(port, +1);
}

int LUMO_CALL Lumo_Slow(int port)
{
    return Ports().StepRate(port, -1);
}

int LUMO_CALL Lumo_RefreshPlay(int port)
{
    return Ports().Refresh(port);
}

// Sound, draw callbacks, B-frame dropping and display devices have nothing to act on here;
// they succeed for a port in use.
int LUMO_CALL Lumo_SetVolume(int port, int)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_PlaySound(int port)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_PlaySoundShare(int port)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_StopSound()
{
    return 1;
}

int LUMO_CALL Lumo_StopSoundShare(int port)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_RegisterDrawFun(int port, LumoDrawCallBack, void*)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_ThrowBFrameNum(int port, int)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_SetDDrawDevice(int port, int)
{
    return Ports().CheckPort(port);
}

int LUMO_CALL Lumo_InitDDrawDevice()
{
    return 1;
}

int LUMO_CALL Lumo_ReleaseDDrawDevice()
{
    return 1;
}

int LUMO_CALL Lumo_SetDisplayCallBack(int port, LumoDisplayCallBack displayCallBack)
{
    return Ports().SetDisplayCallBack(port, displayCallBack);
}

int LUMO_CALL Lumo_ConvertToBmpFile(const unsigned char* picture, int size, int width, int height, int pictureType,
                                    const char* path)
{
    return CBmpWriter::Write(Picture(picture, size, width, height, pictureType), path) ? 1 : 0;
}

int LUMO_CALL Lumo_ConvertToJpegFile(const unsigned char* picture, int size, int width, int height, int pictureType,
                                     const char* path)
{
    return CJpegWriter::Write(Picture(picture, size, width, height, pictureType), path) ? 1 : 0;
}

} // extern "C"
