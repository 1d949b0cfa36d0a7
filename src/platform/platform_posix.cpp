#ifndef _WIN32
#include "platform.h"
#include "ReceiveWait.h"
#include "WakeEvent.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<DebugOutputHook> debugHook{nullptr};

// Descriptor 0 would read as "no socket": move it upwards and free 0.
int AvoidDescriptorZero(int fd)
{
    if (fd != 0)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
    close(fd);
    return moved;
}

SOCKET HandleOrNone(int fd)
{
    if (fd < 0)
        return 0;
    fd = AvoidDescriptorZero(fd);
    return fd < 0 ? 0 : fd;
}

// Like the Windows debugger output, nobody sees these lines unless they ask for them.
bool DebugOutputWanted()
{
    const char* value = getenv("STREAMCLIENT_DEBUG");
    return value && *value && strcmp(value, "0") != 0;
}

struct ThreadStart {
    void (*start)(void*);
    void* argument;
};

void* RunThread(void* raw)
{
    ThreadStart launch = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    launch.start(launch.argument);
    return nullptr;
}

} // namespace

int WSAStartup(WORD version, WSADATA* data)
{
    if (data) {
        data->wVersion = version;
        data->wHighVersion = version;
    }
    return 0;
}

int closesocket(SOCKET s)
{
    return close(s);
}

int ioctlsocket(SOCKET s, long command, u_long* argument)
{
    if (command != FIONBIO || !argument)
        return -1;
    int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0)
        return -1;
    flags = *argument ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(s, F_SETFL, flags) < 0 ? -1 : 0;
}

void InitializeCriticalSection(CRITICAL_SECTION* section)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(CRITICAL_SECTION* section)
{
    pthread_mutex_lock(&section->mutex);
}

void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    pthread_mutex_unlock(&section->mutex);
}

void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    pthread_mutex_destroy(&section->mutex);
}

DWORD GetTickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

void Sleep(DWORD milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void OutputDebugStringA(const char* text)
{
    // Read once: a host's later changes to its environment do not switch the output on or off.
    static const bool wanted = DebugOutputWanted();
    if (wanted)
        fputs(text, stderr);
}

uintptr_t _beginthread(void (*start)(void*), unsigned stackSize, void* argument)
{
    ThreadStart* launch = new (std::nothrow) ThreadStart{start, argument};
    if (!launch)
        return static_cast<uintptr_t>(-1);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0)
        pthread_attr_setstacksize(&attributes, stackSize);
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, RunThread, launch);
    pthread_attr_destroy(&attributes);
    if (failed) {
        delete launch;
        return static_cast<uintptr_t>(-1);
    }
    return static_cast<uintptr_t>(thread);
}

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
    return HandleOrNone(socket(family, type | SOCK_CLOEXEC, protocol));
}

SOCKET AcceptSocket(SOCKET listener)
{
    return HandleOrNone(accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

int WaitSocket(SOCKET s, SocketWait what, int timeoutMs)
{
    pollfd entry{};
    entry.fd = s;
    entry.events = what == SocketWait::Readable ? POLLIN : POLLOUT;
    int result;
    do {
        result = poll(&entry, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    if (result <= 0)
        return result < 0 ? -1 : 0;
    if (entry.revents & POLLNVAL)
        return -1;
    // A socket in error or hung up is "ready" as select would report it: the next call says what.
    return 1;
}

bool ReceiveTimedOut()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

CReceiveWait::~CReceiveWait() = default;

int CReceiveWait::Attach(SOCKET s)
{
    socket = s;
    return 0;
}

void CReceiveWait::WaitForData()
{
}

// Long, since it costs nothing while a stream is idle; a stop is seen within it.
void CReceiveWait::WaitForWake()
{
    Sleep(500);
}

// Shutting the receiving side down wakes every poll and receive on the socket, an unconnected
// UDP socket included (the call then reports ENOTCONN, but the wake-up happens all the same).
void CReceiveWait::Wake()
{
    if (socket != 0)
        shutdown(socket, SHUT_RD);
}

CWakeEvent::CWakeEvent(Mode mode) : once(mode == Mode::Once) {}

CWakeEvent::~CWakeEvent() = default;

void CWakeEvent::Wait(DWORD milliseconds)
{
    std::unique_lock<std::mutex> guard(mutex);
    condition.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return set; });
    if (once)
        set = false;
}

// Notified outside the mutex, which the woken thread takes first thing.
void CWakeEvent::Set()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        set = true;
    }
    condition.notify_all();
}

int SendSocket(SOCKET s, const char* data, int length)
{
    return static_cast<int>(send(s, data, static_cast<size_t>(length), MSG_NOSIGNAL));
}

int ReceiveDatagram(SOCKET s, char* buffer, int length)
{
    // MSG_TRUNC makes recvfrom answer the datagram's real length, so a cut one shows.
    ssize_t received = recvfrom(s, buffer, static_cast<size_t>(length), MSG_TRUNC, nullptr, nullptr);
    if (received <= length)
        return static_cast<int>(received);
    // Said, so that the caller does not read a stale errno as "nothing there".
    errno = EMSGSIZE;
    return -1;
}

int SetSocketTimeout(SOCKET s, int option, unsigned milliseconds)
{
    timeval value{static_cast<time_t>(milliseconds / 1000), static_cast<suseconds_t>(milliseconds % 1000) * 1000};
    return setsockopt(s, SOL_SOCKET, option, &value, sizeof value) == 0 ? 0 : -1;
}

int SetSocketLinger(SOCKET s, unsigned short seconds)
{
    linger value{1, seconds};
    return setsockopt(s, SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0 ? 0 : -1;
}

int StartConnect(SOCKET s, unsigned long address, unsigned short port)
{
    if (address == INADDR_NONE)
        return -1;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = static_cast<in_addr_t>(address);
    if (connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    return errno == EINPROGRESS || errno == EINTR ? 1 : -1;
}

int PendingSocketError(SOCKET s)
{
    int error = -1;
    socklen_t length = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return -1;
    return error;
}
#endif
