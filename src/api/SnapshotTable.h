#pragma once

#include "platform/CriticalSection.h"
#include "decoder/lumodec.h"

#include <atomic>

// The snapshot requests of StreamClient_GrabPic. The decoder library's display callback knows
// only its port, so requests live in slots indexed by the decoder port modulo 100: two players
// whose ports share a slot must not take snapshots at the same time.
class CSnapshotTable {
public:
    static constexpr int kSlots = 100;
    static constexpr int kMaxPathLength = 1024;
    enum Format { Bmp = 0, Jpeg = 1 };

    static CSnapshotTable& Instance();

    // Asks for the next frame shown on the port to be written to path in the format (its low 16
    // bits; other than Bmp or Jpeg: no file), then waits up to 20 s for it. 0 once the request
    // is registered, whether or not the frame came in time; -1 for a path too long or a
    // refused registration. A request that timed out stays pending until the next frame.
    int Request(int port, const char* path, int format);

    static void LUMO_CALL GrabPicDisplayCallBack(int port, const unsigned char* picture, int size, int width,
                                                 int height, int timeStamp, int pictureType, int reserved);

private:
    // The wait: 100 looks at the done flag, a snapshot step apart.
    static constexpr int kWaitRounds = 100;

    struct Slot {
        // Guards path and format against a display callback of an earlier, timed-out request.
        CCriticalSection lock;
        char path[kMaxPathLength + 1] = {};
        unsigned short format = Bmp;
        std::atomic<unsigned char> done{0};
    };

    void WriteFrame(int port, const unsigned char* picture, int size, int width, int height, int pictureType);

    Slot slots[kSlots];
};
