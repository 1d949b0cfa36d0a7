#include "transport/Socket.h"
#include "platform/LibraryWaits.h"

CSocket::~CSocket() = default;

sockaddr_in CSocket::MakeAddress(int port, uint32_t address)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<unsigned short>(port));
    result.sin_addr.s_addr = address;
    return result;
}

int CSocket::SetTimeouts(SOCKET s)
{
    if (SetSocketTimeout(s, SO_SNDTIMEO, CLibraryWaits::Ms(CLibraryWaits::SocketTimeout)) != 0)
        return -1;
    return SetSocketTimeout(s, SO_RCVTIMEO, CLibraryWaits::Ms(CLibraryWaits::SocketTimeout));
}

int CSocket::BindLocal(SOCKET s, int port)
{
    sockaddr_in local = MakeAddress(port, htonl(INADDR_ANY));
    return bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local);
}
