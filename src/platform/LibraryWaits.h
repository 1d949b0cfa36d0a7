#pragma once

#include "platform/platform.h"

// Every wait of the library, in one table, read where the wait happens. The shipped library uses
// the values as they stand; tests shorten the waits they are not about (Set) and put them back
// (Restore), so that a handful of tests pay for each wait at full length.
class CLibraryWaits {
public:
    enum Wait {
        Reply,              // 8 s for the reply to a request
        Send,               // 3 s for the control connection to take a request
        Connect,            // 4 s for a TCP connection, control or media
        SocketTimeout,      // 3 s SO_SNDTIMEO/SO_RCVTIMEO of every socket
        KeepAliveInterval,  // an ANNOUNCE once more than 4000 ms have passed since the last
        SnapshotStep,       // GrabPic looks for its frame 100 times, 200 ms apart: 20 s
        EmptyReceivePause,  // 20 ms after a receive that brought nothing
        InputRetry,         // 10 ms before a block the decoder refused is offered again
        kWaitCount
    };

    static DWORD Ms(Wait wait);
    static void Set(Wait wait, DWORD milliseconds);
    static void Restore();
};
