#include "PlainReceiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The library receives each chunk into this much room.
const int kChunkBufferSize = 5108;
// The blocking receive gives up this often so that Stop is seen.
const int kReceiveTimeoutMs = 100;

} // namespace

CPlainReceiver::~CPlainReceiver()
{
    Stop();
}

bool CPlainReceiver::Start(std::string& error)
{
    if (!OpenSocket(error))
        return false;
    receiver = std::thread(&CPlainReceiver::ReceiveUntilStopped, this);
    return true;
}

bool CPlainReceiver::OpenSocket(std::string& error)
{
    socketHandle = socket(AF_INET, overUdp ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (socketHandle < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    timeval timeout{0, kReceiveTimeoutMs * 1000};
    setsockopt(socketHandle, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (receiveBuffer > 0)
        setsockopt(socketHandle, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(localOrServerPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const sockaddr* generic = reinterpret_cast<const sockaddr*>(&address);
    int result = overUdp ? bind(socketHandle, generic, sizeof address) : connect(socketHandle, generic, sizeof address);
    if (result == 0)
        return true;
    error = std::string(overUdp ? "bind: " : "connect: ") + std::strerror(errno);
    close(socketHandle);
    socketHandle = -1;
    return false;
}

void CPlainReceiver::ReceiveUntilStopped()
{
    unsigned char buffer[kChunkBufferSize];
    while (!stopFlag.load(std::memory_order_acquire)) {
        ssize_t received = recv(socketHandle, buffer, sizeof buffer, 0);
        if (received > 0)
            counter.OnChunk(buffer, static_cast<int>(received));
        else if (received == 0 && !overUdp)
            return; // the sender closed the connection
    }
}

void CPlainReceiver::Stop()
{
    stopFlag.store(true, std::memory_order_release);
    if (receiver.joinable())
        receiver.join();
    if (socketHandle >= 0)
        close(socketHandle);
    socketHandle = -1;
}
