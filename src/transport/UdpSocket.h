#pragma once

#include "transport/Socket.h"

// RTP over UDP: one socket bound to the local port. Every received datagram is one chunk,
// from whichever sender; sends go to the remote port and address given to Open.
class CUdpSocket : public CSocket {
public:
    CUdpSocket() = default;
    ~CUdpSocket() override;
    CUdpSocket(const CUdpSocket&) = delete;
    CUdpSocket& operator=(const CUdpSocket&) = delete;

    int Send(const char* buffer, int length) override;
    // A datagram longer than length is not delivered: -1, as for any error.
    int Recv(char* buffer, int length) override;
    int GetType() override { return TransportUdp; }
    SOCKET GetHandle() override { return handle; }
    int Connect() override { return 0; }
    int Accept() override { return 0; }

    // Fails when the local port is taken, leaving handle 0.
    int Open(int newLocalPort, int newRemotePort, uint32_t newRemoteAddress);
    int SetBufferSizes(int, int) { return 0; }

private:
    int localPort = 0;
    int remotePort = 0;
    uint32_t remoteAddress = 0;
    SOCKET handle = 0;
    sockaddr_in peer{};
};
