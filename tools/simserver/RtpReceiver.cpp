#include "RtpReceiver.h"

#include "ServerSocket.h"
#include "SimClient.h"

#include <algorithm>

namespace {

const int kHeaderSize = 12;
const int kFuA = 28;
const uint8_t kFuStart = 0x80, kFuEnd = 0x40;
const int kIdr = 5;

bool ReadHeader(ReceivedPacket& packet)
{
    const std::vector<uint8_t>& b = packet.bytes;
    if (b.size() < static_cast<size_t>(kHeaderSize))
        return false;
    packet.version = b[0] >> 6;
    packet.marker = (b[1] & 0x80) != 0;
    packet.payloadType = b[1] & 0x7f;
    packet.sequence = static_cast<uint16_t>(b[2] << 8 | b[3]);
    packet.timestamp = uint32_t(b[4]) << 24 | uint32_t(b[5]) << 16 | uint32_t(b[6]) << 8 | b[7];
    packet.ssrc = uint32_t(b[8]) << 24 | uint32_t(b[9]) << 16 | uint32_t(b[10]) << 8 | b[11];
    return true;
}

} // namespace

bool ReceivedFrame::IsKey() const
{
    for (size_t i = 0; i < units.size(); ++i)
        if (UnitType(i) == kIdr)
            return true;
    return false;
}

CRtpReceiver::CRtpReceiver() : udp(OpenLoopbackSocket(SOCK_DGRAM, 0))
{
}

CRtpReceiver::~CRtpReceiver()
{
    if (udp)
        closesocket(udp);
    if (tcp)
        closesocket(tcp);
}

int CRtpReceiver::UdpPort() const
{
    return LocalPort(udp);
}

bool CRtpReceiver::ConnectTcp(unsigned short serverPort)
{
    tcp = OpenSocket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(serverPort);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return connect(tcp, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0;
}

bool CRtpReceiver::Next(ReceivedPacket& packet, int timeoutMs)
{
    packet = ReceivedPacket();
    if (tcp)
        return ReadFramed(packet.bytes, timeoutMs) && ReadHeader(packet);
    if (WaitSocket(udp, SocketWait::Readable, timeoutMs) != 1)
        return false;
    char datagram[65536];
    int received = ReceiveDatagram(udp, datagram, sizeof datagram);
    packet.bytes.assign(datagram, datagram + std::max(received, 0));
    return ReadHeader(packet);
}

// RFC 4571: a 2-byte big-endian length, then the packet.
bool CRtpReceiver::ReadFramed(std::vector<uint8_t>& bytes, int timeoutMs)
{
    if (!Fill(2, timeoutMs))
        return false;
    size_t length = size_t(uint8_t(pending[0])) << 8 | uint8_t(pending[1]);
    if (!Fill(2 + length, timeoutMs))
        return false;
    bytes.assign(pending.begin() + 2, pending.begin() + 2 + static_cast<long>(length));
    pending.erase(0, 2 + length);
    return true;
}

bool CRtpReceiver::Fill(size_t size, int timeoutMs)
{
    while (pending.size() < size)
        if (!ReceiveInto(tcp, pending, timeoutMs))
            return false;
    return true;
}

bool CRtpReceiver::NextFrame(ReceivedFrame& frame, int timeoutMs)
{
    frame = ReceivedFrame();
    ReceivedPacket packet;
    while (Next(packet, timeoutMs)) {
        frame.packets.push_back(packet);
        AddToUnits(frame, packet);
        if (packet.marker)
            return true;
    }
    return false;
}

// A FU-A run must open with a start bit, close with an end bit and hold nothing else between.
void CRtpReceiver::AddToUnits(ReceivedFrame& frame, const ReceivedPacket& packet)
{
    const uint8_t* payload = packet.Payload();
    bool fragment = (payload[0] & 0x1f) == kFuA;
    bool start = fragment && (payload[1] & kFuStart) != 0, end = fragment && (payload[1] & kFuEnd) != 0;
    if (frame.openFragment != (fragment && !start))
        frame.fragmentsOk = false;
    if (!fragment)
        frame.units.emplace_back(payload, payload + packet.PayloadSize());
    else if (start)
        frame.units.push_back({static_cast<uint8_t>((payload[0] & 0xe0) | (payload[1] & 0x1f))});
    if (fragment && !frame.units.empty())
        frame.units.back().insert(frame.units.back().end(), payload + 2, payload + packet.PayloadSize());
    frame.openFragment = fragment && !end;
    if (packet.marker && frame.openFragment)
        frame.fragmentsOk = false;
}

int CRtpReceiver::Drain(int quietMs)
{
    int dropped = 0;
    ReceivedPacket packet;
    while (Next(packet, quietMs))
        ++dropped;
    return dropped;
}
