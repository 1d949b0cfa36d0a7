#ifndef _WIN32
#include "platform.h"
#include "ReceiveWait.h"
#include "ThreadPointer.h"
#include "WakeEvent.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
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

// How a thread keeps its module mapped. The thread that starts another takes a reference on
// the module, a dlopen of the module's own file that loads nothing, so that the module cannot go
// between the start and the new thread's first instruction, and hands it over. The new thread
// gives it back through a pthread key whose destructor is dlclose itself: the C library calls it
// after the thread function has returned into the C library, so no code of the module runs once
// the last reference may be gone. dlclose returns int where a key destructor returns nothing;
// on the C calling conventions of our targets the unused result is merely left in a register.
// A thread_local object with a destructor would hold the module too (glibc counts those per
// module), but glibc then leaves the module mapped when the count drops, until some later
// dlclose: the module would not go when its threads are done.
class CModuleKey {
public:
    CModuleKey()
        : created(pthread_key_create(&key, reinterpret_cast<void (*)(void*)>(reinterpret_cast<void (*)()>(&dlclose))) == 0)
    {
    }
    // Runs when the module goes, inside the last dlclose: a host that loads and unloads the
    // library again and again uses up no keys.
    ~CModuleKey()
    {
        if (created)
            pthread_key_delete(key);
    }
    CModuleKey(const CModuleKey&) = delete;
    CModuleKey& operator=(const CModuleKey&) = delete;

    bool Created() const { return created; }
    // For the calling thread's exit. Should the key take no value, the reference stays: the
    // module then stays loaded, which is safe.
    void ReleaseAtExit(void* module) const { pthread_setspecific(key, module); }

private:
    pthread_key_t key;
    const bool created;
};

CModuleKey& ModuleKey()
{
    static CModuleKey key;
    return key;
}

// A reference on the module this code is linked into, or null in the program, which is never
// unloaded (its entry has no name). False when the module cannot be held.
bool HoldOwnModule(void** module)
{
    Dl_info info;
    link_map* map = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(&HoldOwnModule), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) ||
        !map)
        return false;
    bool program = map->l_name[0] == '\0';
    *module = program ? nullptr : dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD);
    return program || (*module && ModuleKey().Created());
}

struct ThreadStart {
    void (*start)(void*);
    void* argument;
    void* module;
};

void* RunThread(void* raw)
{
    ThreadStart launch = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    if (launch.module)
        ModuleKey().ReleaseAtExit(launch.module);
    launch.start(launch.argument);
    return nullptr;
}

// A reference taken for a thread that did not start; the caller runs in the module, which
// someone else holds, so this is never the last.
void ReleaseModule(void* module)
{
    if (module)
        dlclose(module);
}

} // namespace

CThreadPointer::CThreadPointer() : made(pthread_key_create(&slot, nullptr) == 0) {}

// At process exit the library's threads may outlive this: they then read null, as a thread
// that never set its pointer.
CThreadPointer::~CThreadPointer()
{
    if (made)
        pthread_key_delete(slot);
}

const void* CThreadPointer::Get() const
{
    return made ? pthread_getspecific(slot) : nullptr;
}

void CThreadPointer::Set(const void* value)
{
    if (made)
        pthread_setspecific(slot, value);
}

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

void RunOnce(OnceFlag& flag, void (*init)())
{
    pthread_once(&flag, init);
}

int StartModuleThread(void (*start)(void*), void* argument)
{
    void* module = nullptr;
    if (!HoldOwnModule(&module)) {
        ReleaseModule(module);
        return -1;
    }
    ThreadStart* launch = new (std::nothrow) ThreadStart{start, argument, module};
    if (!launch) {
        ReleaseModule(module);
        return -1;
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, RunThread, launch);
    pthread_attr_destroy(&attributes);
    if (failed) {
        delete launch;
        ReleaseModule(module);
        return -1;
    }
    return 0;
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
