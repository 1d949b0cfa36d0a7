#pragma once

#include "platform/platform.h"

// Lets one receive thread sleep while its socket has nothing, without polling, until data
// arrives or another thread wakes it for good. The thread receives first and waits only when a
// receive found nothing.
//
// POSIX: the socket stays blocking and the receive itself waits, until data or its time-out;
// Wake shuts the socket's receiving side down, which ends a blocked receive at once (an
// unconnected UDP socket included), so WaitForData has nothing left to do.
// Windows: nothing wakes a receive blocked on an unconnected UDP socket, so the socket is made
// non-blocking and the thread waits on the socket's event and a wake event together.
class CReceiveWait {
public:
    CReceiveWait() = default;
    ~CReceiveWait();
    CReceiveWait(const CReceiveWait&) = delete;
    CReceiveWait& operator=(const CReceiveWait&) = delete;

    // Prepares waiting on s (0: no socket, only Wake ends a wait). 0, or -1 when it cannot.
    int Attach(SOCKET s);
    // After a receive found nothing (ReceiveTimedOut): returns once data may be there, or woken.
    void WaitForData();
    // Waits for Wake alone, for a thread that cannot receive. On POSIX a bounded nap: nothing
    // there ends a sleep from another thread without a socket.
    void WaitForWake();
    // From any thread: ends the current wait and every later one at once; the socket receives
    // nothing more.
    void Wake();

private:
    SOCKET socket = 0;
#ifdef _WIN32
    WSAEVENT socketEvent = WSA_INVALID_EVENT;
    HANDLE wakeEvent = nullptr;
#endif
};
