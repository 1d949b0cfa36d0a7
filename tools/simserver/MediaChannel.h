#pragma once

#include "RtpPacketizer.h"
#include "platform/platform.h"

#include <cstdint>
#include <random>

// Where a session's RTP goes: datagrams from the server port to the client's address and port,
// or RFC 4571 framing (a 2-byte big-endian length before each packet) on a TCP connection the
// client makes to the server port. Drops the configured share of packets on purpose.
class CMediaChannel {
public:
    // The largest packet it frames; larger ones are refused.
    static constexpr int kMaxPacket = 4096;

    CMediaChannel(int lossPercent, uint32_t seed) : lossPercent(lossPercent), random(seed) {}
    ~CMediaChannel();
    CMediaChannel(const CMediaChannel&) = delete;
    CMediaChannel& operator=(const CMediaChannel&) = delete;

    // UDP from a port of 127.0.0.1 to clientAddress (network order) : clientPort.
    bool OpenUdp(uint32_t clientAddress, unsigned short clientPort);
    // TCP: listens on 127.0.0.1:port (0: a port the system picks) for the client's media connection.
    bool OpenTcp(unsigned short port = 0);
    bool IsFramed() const { return listener != 0; }
    unsigned short ServerPort() const { return serverPort; }
    // TCP: takes the client's connection if one comes within timeoutMs; true once connected.
    bool AcceptClient(int timeoutMs);
    // False when the packet cannot go out (the client's TCP connection has gone or stalled, or
    // the packet is larger than kMaxPacket).
    bool Send(const RtpPacket& packet);

private:
    bool Lose();

    static constexpr int kSendTimeoutMs = 2000;

    SOCKET socket = 0;
    SOCKET listener = 0;
    unsigned short serverPort = 0;
    sockaddr_in client{};
    int lossPercent;
    std::mt19937 random;
};
