#include "api/SnapshotTable.h"

#include "platform/LibraryWaits.h"
#include "platform/LockGuard.h"
#include "platform/NeverDestroyed.h"

#include <cstring>

CSnapshotTable& CSnapshotTable::Instance()
{
    return NeverDestroyed<CSnapshotTable>();
}

int CSnapshotTable::Request(int port, const char* path, int format)
{
    size_t length = path ? strnlen(path, kMaxPathLength + 1) : kMaxPathLength + 1;
    if (length > kMaxPathLength || port < 0)
        return -1;
    Slot& slot = slots[port % kSlots];
    {
        CLockGuard guard(slot.lock);
        memcpy(slot.path, path, length + 1);
        slot.format = static_cast<unsigned short>(format);
    }
    slot.done.store(0, std::memory_order_release);
    if (!Lumo_SetDisplayCallBack(port, GrabPicDisplayCallBack))
        return -1;
    for (int round = 0; round < kWaitRounds && !slot.done.load(std::memory_order_acquire); ++round)
        Sleep(CLibraryWaits::Ms(CLibraryWaits::SnapshotStep));
    return 0;
}

void LUMO_CALL CSnapshotTable::GrabPicDisplayCallBack(int port, const unsigned char* picture, int size, int width,
                                                      int height, int, int pictureType, int)
{
    if (port < 0)
        return;
    Instance().WriteFrame(port, picture, size, width, height, pictureType);
}

// Exactly one frame per request: the callback unregisters itself after the first.
void CSnapshotTable::WriteFrame(int port, const unsigned char* picture, int size, int width, int height,
                                int pictureType)
{
    Slot& slot = slots[port % kSlots];
    char path[kMaxPathLength + 1];
    unsigned short format;
    {
        CLockGuard guard(slot.lock);
        memcpy(path, slot.path, sizeof path);
        format = slot.format;
    }
    if (format == Bmp)
        Lumo_ConvertToBmpFile(picture, size, width, height, pictureType, path);
    else if (format == Jpeg)
        Lumo_ConvertToJpegFile(picture, size, width, height, pictureType, path);
    Lumo_SetDisplayCallBack(port, nullptr);
    slot.done.store(1, std::memory_order_release);
}
