#pragma once

#include "platform/CriticalSection.h"
#include "player/lumodec.h"

// The stand-in decoder's state: the ports it hands out and, per port, the stream and play state
// the client relies on. It accepts and paces a stream but decodes nothing yet: input is
// consumed at once while playing and queued up to the source buffer size otherwise.
class CLumoPortTable {
public:
    static constexpr int kMaxPorts = 256;
    // The played time counts in units of 64 ms.
    static constexpr unsigned kPlayedTimeUnitMs = 64;

    static CLumoPortTable& Instance();

    int GetPort(int* port);
    int FreePort(int port);
    int SetStreamOpenMode(int port, int mode);
    int OpenStream(int port, const unsigned char* header, int headerLength, int bufferSize);
    int CloseStream(int port);
    int InputData(int port, const unsigned char* data, int length);
    int Play(int port);
    int Pause(int port, int pause);
    int Stop(int port);
    int ResetSourceBuffer(int port);
    unsigned GetPlayedTime(int port);
    // One rate step: +1 twice as fast, -1 half as fast, within four steps either way.
    int StepRate(int port, int step);
    int SetDisplayCallBack(int port, LumoDisplayCallBack callback);
    // Calls that only need a port in use.
    int CheckPort(int port);

private:
    enum PlayState { Stopped, Playing, Paused };

    struct Port {
        bool inUse = false;
        bool open = false;
        PlayState playState = Stopped;
        int rateStep = 0;
        // Played time before the current run, and when the current run began.
        unsigned playedMs = 0;
        DWORD runStart = 0;
        // Input waiting to be shown, held to the source buffer size given at open.
        unsigned bytesQueued = 0;
        unsigned bufferSize = 0;
        LumoDisplayCallBack display = nullptr;
    };

    Port* Find(int port);
    template <typename Change>
    int WithPort(int port, bool mustBeOpen, Change change);
    static unsigned RunMs(const Port& p);
    static void Settle(Port& p);

    Port ports[kMaxPorts];
    CCriticalSection lock;
};
