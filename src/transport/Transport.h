#pragma once

#include "transport/Socket.h"

#include <memory>

// Owns the one socket of a media stream and makes it, of the kind fixed at construction,
// through the factory operations below (each gives null on any failure).
class CTransport {
public:
    // What the UDP and TCP factories ask of a new socket; only the TCP receive size takes
    // effect, since no connection has been accepted when they run.
    static constexpr int kSendBufferSize = 32768;
    static constexpr int kReceiveBufferSize = 65536;

    explicit CTransport(int newKind) : kind(newKind) {}
    virtual ~CTransport() = default;
    CTransport(const CTransport&) = delete;
    CTransport& operator=(const CTransport&) = delete;

    virtual std::unique_ptr<CSocket> CreateUdpSocket(int localPort, int remotePort, uint32_t remoteAddress);
    virtual std::unique_ptr<CSocket> CreateTcpSocket(int localPort, int remotePort, uint32_t remoteAddress);
    virtual std::unique_ptr<CSocket> CreateNullSocket(int localPort, int remotePort, uint32_t remoteAddress);

    // Makes the socket of this transport's kind; false when none results (any kind but 0, 1
    // and 2 makes none). A socket already held is replaced and destroyed.
    bool CreateSocket(int localPort, int remotePort, uint32_t remoteAddress);
    void ReleaseSocket();
    CSocket* GetSocket() const { return socket.get(); }

private:
    std::unique_ptr<CSocket> MakeSocket(int localPort, int remotePort, uint32_t remoteAddress);

    const int kind;
    std::unique_ptr<CSocket> socket;
};
