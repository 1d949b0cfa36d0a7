#include "fakes/LoopbackSocket.h"

CLoopbackSocket::CLoopbackSocket(int type) : handle(OpenSocket(AF_INET, type, 0))
{
    sockaddr_in address = LoopbackPort(0);
    bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
}

CLoopbackSocket::~CLoopbackSocket()
{
    if (handle != 0)
        closesocket(handle);
}

sockaddr_in CLoopbackSocket::LoopbackPort(int toPort)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(toPort));
    to.sin_addr.s_addr = Address();
    return to;
}

int CLoopbackSocket::SendTo(int toPort, const std::string& data) const
{
    sockaddr_in to = LoopbackPort(toPort);
    return static_cast<int>(sendto(handle, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to));
}
