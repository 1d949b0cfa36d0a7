#ifdef _WIN32
#include "platform.h"
#include "ReceiveWait.h"
#include "ThreadPointer.h"
#include "WakeEvent.h"

#include <atomic>
#include <new>

namespace {

std::atomic<DebugOutputHook> debugHook{nullptr};

// SIO_UDP_CONNRESET, which the mingw-w64 headers lack.
const DWORD kUdpConnReset = _WSAIOW(IOC_VENDOR, 12);

SOCKET HandleOrNone(SOCKET s)
{
    return s == INVALID_SOCKET ? 0 : s;
}

// Winsock reports an ICMP port unreachable, answered to one of our datagrams, as WSAECONNRESET
// on the next receive and makes the socket readable for it: the receive thread would wake for
// nothing. POSIX reports nothing on an unconnected socket; switch it off to match.
void IgnorePortUnreachable(SOCKET s)
{
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, kUdpConnReset, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
}

struct ThreadStart {
    void (*start)(void*);
    void* argument;
    HMODULE module;
};

// FreeLibraryAndExitThread gives the module back and ends the thread in one call into the
// system: no code of the module runs once the last reference may be gone.
DWORD WINAPI RunThread(void* raw)
{
    ThreadStart launch = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    launch.start(launch.argument);
    FreeLibraryAndExitThread(launch.module, 0);
}

BOOL CALLBACK RunInit(INIT_ONCE*, void* init, void**)
{
    reinterpret_cast<void (*)()>(init)();
    return TRUE;
}

} // namespace

CThreadPointer::CThreadPointer() : slot(TlsAlloc())
{
    made = slot != TLS_OUT_OF_INDEXES;
}

// The module is going: none of its threads runs any more, and at process exit the system has
// ended the other threads before the DLL hears of it.
CThreadPointer::~CThreadPointer()
{
    if (made)
        TlsFree(slot);
}

// TlsGetValue clears the thread's last error, which a caller may be about to read.
const void* CThreadPointer::Get() const
{
    if (!made)
        return nullptr;
    DWORD error = GetLastError();
    const void* value = TlsGetValue(slot);
    SetLastError(error);
    return value;
}

void CThreadPointer::Set(const void* value)
{
    if (made)
        TlsSetValue(slot, const_cast<void*>(value));
}

void RunOnce(OnceFlag& flag, void (*init)())
{
    InitOnceExecuteOnce(&flag, RunInit, reinterpret_cast<void*>(init), nullptr);
}

// The reference on the module is taken here, by the starting thread, so that the module cannot
// go between the start and the new thread's first instruction. CreateThread rather than
// _beginthread: a thread of _beginthread has its handle closed by the C runtime when the thread
// function returns, which FreeLibraryAndExitThread bypasses, so every thread would leave its
// handle behind; here the handle is closed at once instead (the thread runs detached). The C
// runtime DLL frees what it keeps per thread when the thread ends, however it was started.
int StartModuleThread(void (*start)(void*), void* argument)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunThread), &module))
        return -1;
    ThreadStart* launch = new (std::nothrow) ThreadStart{start, argument, module};
    HANDLE thread = launch ? CreateThread(nullptr, 0, RunThread, launch, 0, nullptr) : nullptr;
    if (!thread) {
        delete launch;
        FreeLibrary(module);
        return -1;
    }
    CloseHandle(thread);
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

// Not inherited by child processes, like SOCK_CLOEXEC on POSIX.
SOCKET OpenSocket(int family, int type, int protocol)
{
    SOCKET s = HandleOrNone(
        WSASocketW(family, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT));
    if (s != 0 && type == SOCK_DGRAM)
        IgnorePortUnreachable(s);
    return s;
}

SOCKET AcceptSocket(SOCKET listener)
{
    return HandleOrNone(accept(listener, nullptr, nullptr));
}

// Winsock signals a failed non-blocking connect in the except set, not the write set: watch
// both so that a refused connect ends the wait at once, as poll's POLLOUT does on POSIX. The
// caller learns the outcome from PendingSocketError.
int WaitSocket(SOCKET s, SocketWait what, int timeoutMs)
{
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    // The first argument of select is ignored by Winsock.
    int result = what == SocketWait::Readable ? select(0, &ready, nullptr, &failed, &wait)
                                              : select(0, nullptr, &ready, &failed, &wait);
    if (result <= 0)
        return result < 0 ? -1 : 0;
    return FD_ISSET(s, &ready) || FD_ISSET(s, &failed) ? 1 : -1;
}

bool ReceiveTimedOut()
{
    int error = WSAGetLastError();
    return error == WSAETIMEDOUT || error == WSAEWOULDBLOCK;
}

CReceiveWait::~CReceiveWait()
{
    if (socketEvent != WSA_INVALID_EVENT)
        WSACloseEvent(socketEvent);
    if (wakeEvent)
        CloseHandle(wakeEvent);
}

// WSAEventSelect makes the socket non-blocking: a receive with nothing there fails at once
// with WSAEWOULDBLOCK and the thread waits here instead. Both events are manual-reset: the
// wake stays set for every later wait, and the socket's is reset as its events are read.
int CReceiveWait::Attach(SOCKET s)
{
    socket = s;
    wakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!wakeEvent)
        return -1;
    if (s == 0)
        return 0;
    socketEvent = WSACreateEvent();
    if (socketEvent == WSA_INVALID_EVENT)
        return -1;
    return WSAEventSelect(s, socketEvent, FD_READ | FD_CLOSE) == 0 ? 0 : -1;
}

// Winsock records FD_READ again after each receive that leaves data behind, so an event read
// here before the receive loses nothing.
void CReceiveWait::WaitForData()
{
    HANDLE events[2] = {wakeEvent, socketEvent};
    DWORD count = socketEvent == WSA_INVALID_EVENT ? 1 : 2;
    if (WaitForMultipleObjects(count, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        return;
    WSANETWORKEVENTS happened;
    WSAEnumNetworkEvents(socket, socketEvent, &happened);
}

void CReceiveWait::WaitForWake()
{
    WaitForSingleObject(wakeEvent, INFINITE);
}

void CReceiveWait::Wake()
{
    if (wakeEvent)
        SetEvent(wakeEvent);
}

// Manual-reset for good (once set it stays set), auto-reset for once. Without an event (none
// could be made) a wait is a plain sleep, as the nap it replaces.
CWakeEvent::CWakeEvent(Mode mode) : event(CreateEventW(nullptr, mode == Mode::ForGood, FALSE, nullptr)) {}

CWakeEvent::~CWakeEvent()
{
    if (event)
        CloseHandle(event);
}

void CWakeEvent::Wait(DWORD milliseconds)
{
    if (event)
        WaitForSingleObject(event, milliseconds);
    else
        Sleep(milliseconds);
}

void CWakeEvent::Set()
{
    if (event)
        SetEvent(event);
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
