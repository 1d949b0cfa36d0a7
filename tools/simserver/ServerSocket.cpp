#include "ServerSocket.h"

SOCKET OpenLoopbackSocket(int type, unsigned short port)
{
    SOCKET s = OpenSocket(AF_INET, type, 0);
    if (!s)
        return 0;
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return 0;
    }
    return s;
}

unsigned short LocalPort(SOCKET s)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

uint32_t PeerAddress(SOCKET s)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getpeername(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return address.sin_addr.s_addr;
}

bool SendAll(SOCKET s, const char* data, int length)
{
    while (length > 0) {
        int sent = SendSocket(s, data, length);
        if (sent <= 0)
            return false;
        data += sent;
        length -= sent;
    }
    return true;
}
