#pragma once

#include "transport/Transport.h"

// The transport a media stream reads from: opened once, read by the receive thread, closed.
class CRtpTransport : public CTransport {
public:
    explicit CRtpTransport(int kind) : CTransport(kind) {}

    // 0 when a socket of the transport's kind could be made, else -1.
    int Open(int localPort, int remotePort, uint32_t remoteAddress);
    // The socket's Recv; -1 when Open has not succeeded.
    int Recv(char* buffer, int length);
    int Close();
};
