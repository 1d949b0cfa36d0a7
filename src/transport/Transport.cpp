#include "transport/Transport.h"

#include "transport/NullSocket.h"
#include "transport/TcpSocket.h"
#include "transport/UdpSocket.h"

#include <new>

namespace {

// A socket that fails to open is destroyed here, closing whatever handle it got.
template <typename Socket>
std::unique_ptr<CSocket> OpenedSocket(int localPort, int remotePort, uint32_t remoteAddress)
{
    std::unique_ptr<Socket> made(new (std::nothrow) Socket);
    if (!made || made->Open(localPort, remotePort, remoteAddress) != 0)
        return nullptr;
    made->SetBufferSizes(CTransport::kSendBufferSize, CTransport::kReceiveBufferSize);
    return made;
}

} // namespace

std::unique_ptr<CSocket> CTransport::CreateUdpSocket(int localPort, int remotePort, uint32_t remoteAddress)
{
    return OpenedSocket<CUdpSocket>(localPort, remotePort, remoteAddress);
}

std::unique_ptr<CSocket> CTransport::CreateTcpSocket(int localPort, int remotePort, uint32_t remoteAddress)
{
    return OpenedSocket<CTcpSocket>(localPort, remotePort, remoteAddress);
}

std::unique_ptr<CSocket> CTransport::CreateNullSocket(int, int, uint32_t)
{
    return std::unique_ptr<CSocket>(new (std::nothrow) CNullSocket);
}

bool CTransport::CreateSocket(int localPort, int remotePort, uint32_t remoteAddress)
{
    socket = MakeSocket(localPort, remotePort, remoteAddress);
    return socket != nullptr;
}

std::unique_ptr<CSocket> CTransport::MakeSocket(int localPort, int remotePort, uint32_t remoteAddress)
{
    switch (kind) {
    case TransportUdp:
        return CreateUdpSocket(localPort, remotePort, remoteAddress);
    case TransportTcp:
        return CreateTcpSocket(localPort, remotePort, remoteAddress);
    case TransportNone:
        return CreateNullSocket(localPort, remotePort, remoteAddress);
    default:
        return nullptr;
    }
}

void CTransport::ReleaseSocket()
{
    socket.reset();
}
