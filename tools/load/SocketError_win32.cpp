#include "SocketError.h"

#include <winsock2.h>

std::string LastSocketError()
{
    return "Winsock error " + std::to_string(WSAGetLastError());
}
