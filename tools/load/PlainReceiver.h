#pragma once

#include "StreamCounter.h"
#include "platform/platform.h"

#include <atomic>
#include <string>
#include <thread>

// The physical limit the library is compared with: one socket read in a plain blocking loop on
// a thread of its own, into a buffer of the library's largest chunk, counted as the library's
// data callback counts. UDP binds 127.0.0.1:port; TCP connects to it. A receive buffer size of
// 0 leaves the system's default (and, over TCP, its automatic growth). Sockets go through the
// library's platform layer, whose names exist on every system.
class CPlainReceiver {
public:
    CPlainReceiver(bool udp, int port, int receiveBuffer)
        : overUdp(udp), localOrServerPort(port), receiveBuffer(receiveBuffer), counter(udp)
    {
    }
    ~CPlainReceiver();
    CPlainReceiver(const CPlainReceiver&) = delete;
    CPlainReceiver& operator=(const CPlainReceiver&) = delete;

    // Makes the socket and starts receiving; false with a reason in error.
    bool Start(std::string& error);
    void Stop();

    const CStreamCounter& Counter() const { return counter; }

private:
    bool MakeSocket(std::string& error);
    void ReceiveUntilStopped();

    bool overUdp;
    int localOrServerPort;
    int receiveBuffer;
    CStreamCounter counter;
    SOCKET socketHandle = 0; // 0: none, as in the platform layer
    std::atomic<bool> stopFlag{false};
    std::thread receiver;
};
