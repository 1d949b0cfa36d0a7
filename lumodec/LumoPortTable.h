#pragma once

#include "LumoStream.h"
#include "platform/CriticalSection.h"
#include "decoder/lumodec.h"

#include <memory>

// The stand-in decoder's ports: which are handed out, the display callback registered on each,
// and the stream open on it. Stream calls find the stream under the table's lock and run on it
// outside that lock, so that a display callback may call back into the table while a Stop waits
// for its display thread.
class CLumoPortTable {
public:
    static constexpr int kMaxPorts = 256;

    static CLumoPortTable& Instance();

    int GetPort(int* port);
    int FreePort(int port);
    int SetStreamOpenMode(int port, int mode);
    int OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize);
    int CloseStream(int port);
    int InputData(int port, const unsigned char* data, int length);
    int Play(int port, HWND window);
    int Pause(int port, int pause);
    int Stop(int port);
    int ResetSourceBuffer(int port);
    unsigned GetPlayedTime(int port);
    // One rate step: +1 twice as fast, -1 half as fast, within four steps either way.
    int StepRate(int port, int step);
    int SetDisplayCallBack(int port, LumoDisplayCallBack callback);
    int Refresh(int port);
    // Calls that only need a port in use.
    int CheckPort(int port);

private:
    struct Port {
        bool inUse = false;
        // The open mode for the next stream: real-time (live) unless set to file.
        bool live = true;
        LumoDisplayCallBack display = nullptr;
        std::shared_ptr<CLumoStream> stream;
    };

    Port* Find(int port);
    std::shared_ptr<CLumoStream> StreamOf(int port);
    std::shared_ptr<CLumoStream> TakeStream(int port, bool freePort);

    Port ports[kMaxPorts];
    CCriticalSection lock;
};
