#pragma once

#include "platform/CriticalSection.h"

// Closed once, for good, when a stream stops; looked at by the thread that calls the host, just
// before each callback. Looking and deciding to call are one step under a short lock, which
// Close waits for: once Close has returned, every look finds the gate closed, so no callback
// begins after it. The lock is never held while a callback runs: Close returns at once, also
// from inside a callback and while a callback waits on the closing thread. A callback that
// passed the gate just before Close counts as already running; the host's function gets control
// a few instructions after the pass, which may be just after Close has returned.
class CCallbackGate {
public:
    CCallbackGate() = default;
    CCallbackGate(const CCallbackGate&) = delete;
    CCallbackGate& operator=(const CCallbackGate&) = delete;

    bool IsOpen();
    void Close();

private:
    CCriticalSection lock;
    bool open = true;
};
