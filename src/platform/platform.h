// The one place that knows the operating system. The library is written against the Windows
// names it was designed around; on Windows they are the real ones, elsewhere
// platform_posix.cpp supplies them. Besides those names the layer offers a few helpers whose
// Windows and POSIX forms differ in more than spelling (waiting on a socket, time-outs, sends).
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

typedef INIT_ONCE OnceFlag;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <cstdint>

typedef int SOCKET;
typedef uint32_t DWORD;
typedef unsigned short WORD;
typedef unsigned long u_long;
typedef int BOOL;
typedef void* HWND;

// A wait without a time limit.
constexpr DWORD INFINITE = 0xFFFFFFFF;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
};

typedef pthread_once_t OnceFlag;

// A recursive mutex: the thread that holds a critical section may enter it again.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};

#ifndef FIONBIO
#define FIONBIO 0x5421
#endif

inline WORD MAKEWORD(int low, int high)
{
    return static_cast<WORD>((low & 0xff) | ((high & 0xff) << 8));
}

int WSAStartup(WORD version, WSADATA* data);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long command, u_long* argument);

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

// Milliseconds from a monotonic clock, cut to 32 bits: wraps after about 49.7 days.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
void OutputDebugStringA(const char* text);
#endif

// Starts a detached thread that runs start(argument). The thread keeps the module this code is
// linked into (the shared library, or the program) loaded until start has returned, and lets
// go of it as its very last act, in code outside the module: a host may unload the library
// while the thread is still ending, and the module goes once its last thread is done. 0, or -1
// when the thread cannot be started.
int StartModuleThread(void (*start)(void*), void* argument);

// Runs init once for the flag, a zero-initialised static: the first thread to come runs it, the
// others wait until it is done. In place of a function-local static, whose guard on Windows goes
// through the C++ runtime's threads, which leave a thread handle and an event behind for each
// DLL instance they served once it is unloaded.
void RunOnce(OnceFlag& flag, void (*init)());

// Where a debug line goes: the debugger output, unless a test has taken the lines over.
typedef void (*DebugOutputHook)(const char* text);
void DebugOutput(const char* text);
// Internal to the static core and never exported: lets tests capture debug lines exactly.
void SetDebugOutputHook(DebugOutputHook hook);

enum class SocketWait { Readable, Writable };

// Creates a socket; 0 when none could be made. Never hands out handle 0, which means "no socket"
// throughout the library.
SOCKET OpenSocket(int family, int type, int protocol);
// Takes one connection from a listening socket; 0 when there is none.
SOCKET AcceptSocket(SOCKET listener);
// Waits until the socket is readable or writable: 1 when it is, 0 on time-out, -1 on error.
// Uses poll on POSIX, where select cannot take descriptors of 1024 and above.
int WaitSocket(SOCKET s, SocketWait what, int timeoutMs);
// After a receive on this thread returned -1: whether it only found nothing to take, at the
// end of the socket's receive time-out or at once on a socket that does not block.
bool ReceiveTimedOut();
// One send; never raises SIGPIPE when the peer has gone.
int SendSocket(SOCKET s, const char* data, int length);
// Receives one datagram, its sender discarded: its length, or -1 on error and for a datagram
// longer than length, which is never delivered cut short.
int ReceiveDatagram(SOCKET s, char* buffer, int length);
// SO_SNDTIMEO or SO_RCVTIMEO in milliseconds; 0 on success, -1 on failure.
int SetSocketTimeout(SOCKET s, int option, unsigned milliseconds);
// SO_LINGER switched on with the given time; 0 on success, -1 on failure.
int SetSocketLinger(SOCKET s, unsigned short seconds);
// Starts a connection to an IPv4 address (network order) and port (host order) on a
// non-blocking socket: 0 when connected at once, 1 while in progress, -1 when it failed.
// The broadcast address that inet_addr gives for a text it cannot read is refused unsent.
int StartConnect(SOCKET s, unsigned long address, unsigned short port);
// The socket's pending error (SO_ERROR); -1 when it cannot be read.
int PendingSocketError(SOCKET s);
