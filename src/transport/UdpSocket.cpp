#include "transport/UdpSocket.h"

CUdpSocket::~CUdpSocket()
{
    if (handle != 0)
        closesocket(handle);
}

int CUdpSocket::Send(const char* buffer, int length)
{
    return sendto(handle, buffer, length, 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
}

int CUdpSocket::Recv(char* buffer, int length)
{
    return ReceiveDatagram(handle, buffer, length);
}

int CUdpSocket::Open(int newLocalPort, int newRemotePort, uint32_t newRemoteAddress)
{
    localPort = newLocalPort;
    remotePort = newRemotePort;
    if (newRemoteAddress != 0)
        remoteAddress = newRemoteAddress;
    handle = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == 0 || SetTimeouts(handle) != 0)
        return -1;
    peer = MakeAddress(remotePort, newRemoteAddress);
    if (BindLocal(handle, localPort) != 0) {
        closesocket(handle);
        handle = 0;
        return -1;
    }
    return 0;
}
