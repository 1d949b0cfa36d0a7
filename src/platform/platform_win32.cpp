#ifdef _WIN32
#include "platform.h"

#include <atomic>

namespace {

std::atomic<DebugOutputHook> debugHook{nullptr};

SOCKET HandleOrNone(SOCKET s)
{
    return s == INVALID_SOCKET ? 0 : s;
}

} // namespace

void DebugOutput(const char* text)
{
    DebugOutputHook hook = debugHook.load(std::memory_order_acquire);
    if (hook)
        hook(text);
    else
        OutputDebugStringA(text);
}

void SetDebugOutputHook(DebugOutputHook hook)
{
    debugHook.store(hook, std::memory_order_release);
}

SOCKET OpenSocket(int family, int type, int protocol)
{
    return HandleOrNone(socket(family, type, protocol));
}

SOCKET AcceptSocket(SOCKET listener)
{
    return HandleOrNone(accept(listener, nullptr, nullptr));
}

int WaitSocket(SOCKET s, SocketWait what, int timeoutMs)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    // The first argument of select is ignored by Winsock.
    int result = what == SocketWait::Readable ? select(0, &set, nullptr, nullptr, &wait)
                                              : select(0, nullptr, &set, nullptr, &wait);
    if (result <= 0)
        return result < 0 ? -1 : 0;
    return FD_ISSET(s, &set) ? 1 : -1;
}

// Winsock gives no sure way to wake a select on an unconnected UDP socket from another thread,
// so the wait stays short: 5 ms costs about 0.2 % of a core per idle stream.
const int kIdleSocketWaitMs = 5;

void WakeSocketWaiters(SOCKET s)
{
    shutdown(s, SD_RECEIVE);
}

int SendSocket(SOCKET s, const char* data, int length)
{
    return send(s, data, length, 0);
}

int ReceiveDatagram(SOCKET s, char* buffer, int length)
{
    // Winsock already fails a datagram longer than the buffer (WSAEMSGSIZE).
    return recvfrom(s, buffer, length, 0, nullptr, nullptr);
}

int SetSocketTimeout(SOCKET s, int option, unsigned milliseconds)
{
    DWORD value = milliseconds;
    return setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value) == 0 ? 0 : -1;
}

int SetSocketLinger(SOCKET s, unsigned short seconds)
{
    linger value{1, seconds};
    return setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value) == 0 ? 0 : -1;
}

int StartConnect(SOCKET s, unsigned long address, unsigned short port)
{
    if (address == INADDR_NONE)
        return -1;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 1 : -1;
}

int PendingSocketError(SOCKET s)
{
    int error = -1;
    int length = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return -1;
    return error;
}
#endif
