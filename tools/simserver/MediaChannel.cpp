#include "MediaChannel.h"

#include "ServerSocket.h"

#include <algorithm>

static_assert(CRtpPacketizer::kMaxPacket <= CMediaChannel::kMaxPacket, "every video packet fits the framing buffer");

CMediaChannel::~CMediaChannel()
{
    if (socket)
        closesocket(socket);
    if (listener)
        closesocket(listener);
}

bool CMediaChannel::OpenUdp(uint32_t clientAddress, unsigned short clientPort)
{
    socket = OpenLoopbackSocket(SOCK_DGRAM, 0);
    serverPort = socket ? LocalPort(socket) : 0;
    client.sin_family = AF_INET;
    client.sin_port = htons(clientPort);
    client.sin_addr.s_addr = clientAddress;
    return serverPort != 0;
}

bool CMediaChannel::OpenTcp(unsigned short port)
{
    listener = OpenLoopbackSocket(SOCK_STREAM, port);
    serverPort = listener ? LocalPort(listener) : 0;
    return serverPort != 0 && listen(listener, 1) == 0;
}

bool CMediaChannel::AcceptClient(int timeoutMs)
{
    if (socket)
        return true;
    if (WaitSocket(listener, SocketWait::Readable, timeoutMs) != 1)
        return false;
    socket = AcceptSocket(listener);
    // A client that stops reading must not hold the session's thread for ever.
    return socket && SetSocketTimeout(socket, SO_SNDTIMEO, kSendTimeoutMs) == 0;
}

bool CMediaChannel::Send(const RtpPacket& packet)
{
    if (!socket || packet.size() > static_cast<size_t>(kMaxPacket))
        return false;
    if (Lose())
        return true;
    if (!IsFramed()) {
        // A client whose port is closed makes datagrams bounce; that is its business, not an end.
        sendto(socket, reinterpret_cast<const char*>(packet.data()), packet.size(), 0,
               reinterpret_cast<const sockaddr*>(&client), sizeof client);
        return true;
    }
    uint8_t framed[2 + kMaxPacket];
    framed[0] = static_cast<uint8_t>(packet.size() >> 8);
    framed[1] = static_cast<uint8_t>(packet.size());
    std::copy(packet.begin(), packet.end(), framed + 2);
    return SendAll(socket, reinterpret_cast<const char*>(framed), static_cast<int>(packet.size() + 2));
}

bool CMediaChannel::Lose()
{
    return lossPercent > 0 && std::uniform_int_distribution<int>(0, 99)(random) < lossPercent;
}
