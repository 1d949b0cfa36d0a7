#include "PlainReceiver.h"

#include "SocketError.h"

namespace {

// The library receives each chunk into this much room.
const int kChunkBufferSize = 5108;
// The blocking receive gives up this often so that Stop is seen.
const unsigned kReceiveTimeoutMs = 100;

} // namespace

CPlainReceiver::~CPlainReceiver()
{
    Stop();
}

bool CPlainReceiver::Start(std::string& error)
{
    if (!MakeSocket(error))
        return false;
    receiver = std::thread(&CPlainReceiver::ReceiveUntilStopped, this);
    return true;
}

bool CPlainReceiver::MakeSocket(std::string& error)
{
    socketHandle = OpenSocket(AF_INET, overUdp ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (socketHandle == 0) {
        error = "socket: " + LastSocketError();
        return false;
    }
    SetSocketTimeout(socketHandle, SO_RCVTIMEO, kReceiveTimeoutMs);
    if (receiveBuffer > 0)
        setsockopt(socketHandle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                   sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(localOrServerPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const sockaddr* generic = reinterpret_cast<const sockaddr*>(&address);
    int result = overUdp ? bind(socketHandle, generic, sizeof address) : connect(socketHandle, generic, sizeof address);
    if (result == 0)
        return true;
    error = (overUdp ? "bind: " : "connect: ") + LastSocketError();
    closesocket(socketHandle);
    socketHandle = 0;
    return false;
}

void CPlainReceiver::ReceiveUntilStopped()
{
    char buffer[kChunkBufferSize];
    while (!stopFlag.load(std::memory_order_acquire)) {
        int received = overUdp ? ReceiveDatagram(socketHandle, buffer, kChunkBufferSize)
                               : static_cast<int>(recv(socketHandle, buffer, kChunkBufferSize, 0));
        if (received > 0)
            counter.OnChunk(reinterpret_cast<const unsigned char*>(buffer), received);
        else if (received == 0 && !overUdp)
            return; // the sender closed the connection
    }
}

void CPlainReceiver::Stop()
{
    stopFlag.store(true, std::memory_order_release);
    if (receiver.joinable())
        receiver.join();
    if (socketHandle != 0)
        closesocket(socketHandle);
    socketHandle = 0;
}
