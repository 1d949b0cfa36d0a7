#pragma once

#include "platform/platform.h"

#include <cstdint>

// The kind of socket a media stream uses; also what CSocket::GetType answers.
enum TransportKind { TransportUdp = 0, TransportTcp = 1, TransportNone = 2 };

// One media socket of a kind chosen at run time. Ports are in host order (only the low 16 bits
// count), the remote address is IPv4 in network order, and handle 0 means "no socket".
class CSocket {
public:
    virtual ~CSocket() = 0;
    virtual int Send(const char* buffer, int length) = 0;
    virtual int Recv(char* buffer, int length) = 0;
    virtual int GetType() = 0;
    virtual SOCKET GetHandle() = 0;
    virtual int Connect() = 0;
    virtual int Accept() = 0;

protected:
    // Sends and receives give up after this long rather than hang the stream's thread.

    static sockaddr_in MakeAddress(int port, uint32_t address);
    // SO_SNDTIMEO, then SO_RCVTIMEO; 0, or -1 when either cannot be set.
    static int SetTimeouts(SOCKET s);
    // Binds to the local port on every interface; the result of bind.
    static int BindLocal(SOCKET s, int port);
};
