#include "transport/TcpSocket.h"
#include "platform/LibraryWaits.h"

namespace {

void CloseAndClear(SOCKET& s)
{
    if (s == 0)
        return;
    closesocket(s);
    s = 0;
}

void SetBufferSize(SOCKET s, int option, int size)
{
    if (s != 0)
        setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&size), sizeof size);
}

} // namespace

CTcpSocket::~CTcpSocket()
{
    CloseAndClear(acceptedHandle);
    CloseAndClear(handle);
}

int CTcpSocket::Send(const char* buffer, int length)
{
    if (acceptedHandle == 0)
        return -1;
    return SendSocket(acceptedHandle, buffer, length);
}

int CTcpSocket::Recv(char* buffer, int length)
{
    if (handle == 0)
        return -1;
    return recv(handle, buffer, length, 0);
}

int CTcpSocket::Open(int newLocalPort, int newRemotePort, uint32_t newRemoteAddress)
{
    localPort = newLocalPort;
    remotePort = newRemotePort;
    remoteAddress = newRemoteAddress;
    handle = OpenSocket(AF_INET, SOCK_STREAM, 0);
    if (handle == 0)
        return -1;
    int reuse = 1;
    if (setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse) != 0)
        return -1;
    if (SetTimeouts(handle) != 0)
        return -1;
    SetSocketLinger(handle, kLingerSeconds);
    BindLocal(handle, localPort);
    return 0;
}

int CTcpSocket::SetBufferSizes(int sendSize, int receiveSize)
{
    SetBufferSize(handle, SO_RCVBUF, receiveSize);
    SetBufferSize(acceptedHandle, SO_SNDBUF, sendSize);
    return 0;
}

int CTcpSocket::SetBlocking(bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(handle, FIONBIO, &nonBlocking) == 0 ? 0 : -1;
}

// The connect runs non-blocking so that a server that never answers costs at most
// the connect wait. On failure the socket stays non-blocking: the owner discards it.
int CTcpSocket::Connect()
{
    if (SetBlocking(false) != 0)
        return -1;
    int started = StartConnect(handle, remoteAddress, static_cast<unsigned short>(remotePort));
    if (started < 0 || (started > 0 && AwaitConnection() != 0))
        return -1;
    return SetBlocking(true);
}

int CTcpSocket::AwaitConnection()
{
    if (WaitSocket(handle, SocketWait::Writable, CLibraryWaits::Ms(CLibraryWaits::Connect)) <= 0)
        return -1;
    return PendingSocketError(handle) == 0 ? 0 : -1;
}

int CTcpSocket::Accept()
{
    listen(handle, 1);
    acceptedHandle = AcceptSocket(handle);
    return acceptedHandle != 0 ? 0 : -1;
}
