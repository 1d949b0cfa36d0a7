#pragma once

#include "platform/platform.h"

// Sockets of the simulator, which listens and sends on 127.0.0.1 only.

// A socket bound to 127.0.0.1:port (0: a port the system picks); 0 when that fails.
SOCKET OpenLoopbackSocket(int type, unsigned short port);
// The local port a socket is bound to; 0 when unknown.
unsigned short LocalPort(SOCKET s);
// The IPv4 address (network order) of the peer of a connected socket; 0 when unknown.
uint32_t PeerAddress(SOCKET s);
// Sends all of data, however the system splits it; false when the peer has gone.
bool SendAll(SOCKET s, const char* data, int length);
