#pragma once

#include "FrameLog.h"
#include "decoder/lumodec.h"
#include "streamclient.h"

#include <chrono>
#include <string>

// One player as a host with a window runs it: media over UDP into the data callback, the
// decoder stand-in showing the frames. Its frames are logged (CFrameLog) on one clock, the
// milliseconds since the process's first viewer was made.
class CLiveViewer : public CStreamNotify {
public:
    bool Create();
    // Opens the URL and, for a watched viewer, registers the display callback on the decoder
    // port expected for the index-th viewer; false when either fails.
    bool Open(const std::string& url, int index, bool watch);
    bool Play();
    void Stop();
    // The decoder's played time, in its units of 64 ms.
    unsigned PlayedUnits() const;

    // Whether the display callback logs this viewer's frames as they are shown.
    bool Watched() const { return watched; }
    // When OpenURL was called, on the log's clock.
    double OpenedAt() const { return openedAt; }
    const CFrameLog& Log() const { return log; }
    static double Now();

private:
    static void STREAMCLIENT_CALL OnData(int playerId, void* user, int dataType, const unsigned char* data, int length);
    static void LUMO_CALL OnShown(int port, const unsigned char*, int, int, int, int streamMs, int, int);

    int id = -1;
    int port = -1;
    bool watched = false;
    double openedAt = 0;
    CFrameLog log;
};
