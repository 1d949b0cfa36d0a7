#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

// A socket of the transport tests, bound to 127.0.0.1 on a port the system picks: nothing in
// these tests leaves the loopback interface.
class CLoopbackSocket {
public:
    // SOCK_DGRAM or SOCK_STREAM.
    explicit CLoopbackSocket(int type);
    ~CLoopbackSocket();
    CLoopbackSocket(const CLoopbackSocket&) = delete;
    CLoopbackSocket& operator=(const CLoopbackSocket&) = delete;

    static uint32_t Address() { return htonl(INADDR_LOOPBACK); }
    // A port that was free a moment ago: bound, read back and given up again.
    static int FreePort(int type) { return CLoopbackSocket(type).Port(); }

    SOCKET Handle() const { return handle; }
    int Port() const { return port; }
    // Sends one datagram to the loopback port; the bytes sent, or -1.
    int SendTo(int toPort, const std::string& data) const;
    // Listens with the backlog and accepts one connection (0 when none came).
    void Listen(int backlog) const { listen(handle, backlog); }
    SOCKET AcceptOne() const { return AcceptSocket(handle); }

private:
    static sockaddr_in LoopbackPort(int toPort);

    SOCKET handle = 0;
    int port = 0;
};
