#include "SocketError.h"

#include <cerrno>
#include <cstring>

std::string LastSocketError()
{
    return std::strerror(errno);
}
