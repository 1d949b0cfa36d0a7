#pragma once

#include "transport/Socket.h"

// RTP over a TCP connection of its own, from the local port to the remote port. The primary
// socket is the one connected by Connect and read by Recv; Accept instead makes it listen and
// keeps the connection it takes as the accepted handle, the one Send writes to.
class CTcpSocket : public CSocket {
public:
    // A connect that has not completed by then fails.
    // Closing waits this long for unsent data to leave.
    static constexpr unsigned short kLingerSeconds = 5;

    CTcpSocket() = default;
    ~CTcpSocket() override;
    CTcpSocket(const CTcpSocket&) = delete;
    CTcpSocket& operator=(const CTcpSocket&) = delete;

    // -1 while no connection has been accepted.
    int Send(const char* buffer, int length) override;
    int Recv(char* buffer, int length) override;
    int GetType() override { return TransportTcp; }
    SOCKET GetHandle() override { return handle; }
    int Connect() override;
    int Accept() override;

    // Creates and binds the primary socket but does not connect it. A taken local port is not
    // a failure: the connect then leaves from a port the system picks.
    int Open(int newLocalPort, int newRemotePort, uint32_t newRemoteAddress);
    // The receive size applies to the primary socket, the send size to the accepted one.
    int SetBufferSizes(int sendSize, int receiveSize);

private:
    int SetBlocking(bool blocking);
    int AwaitConnection();

    int localPort = 0;
    int remotePort = 0;
    uint32_t remoteAddress = 0;
    SOCKET handle = 0;
    SOCKET acceptedHandle = 0;
};
