#include "transport/RtpTransport.h"

int CRtpTransport::Open(int localPort, int remotePort, uint32_t remoteAddress)
{
    return CreateSocket(localPort, remotePort, remoteAddress) ? 0 : -1;
}

int CRtpTransport::Recv(char* buffer, int length)
{
    CSocket* socket = GetSocket();
    return socket ? socket->Recv(buffer, length) : -1;
}

int CRtpTransport::Close()
{
    ReleaseSocket();
    return 0;
}
