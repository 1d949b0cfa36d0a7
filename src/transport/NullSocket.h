#pragma once

#include "transport/Socket.h"

// The socket of a stream without media transport: it holds nothing and every call succeeds
// without doing anything.
class CNullSocket : public CSocket {
public:
    int Send(const char*, int) override { return 0; }
    int Recv(char*, int) override { return 0; }
    int GetType() override { return TransportNone; }
    SOCKET GetHandle() override { return 0; }
    int Connect() override { return 0; }
    int Accept() override { return 0; }
};
