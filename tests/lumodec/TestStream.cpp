#include "TestStream.h"

#include "RtpPacketizer.h"

#include <algorithm>

std::vector<Bytes> Packetize(const std::vector<Bytes>& units, uint32_t ticksPerFrame)
{
    CRtpPacketizer packetizer(0x12345678, 1000);
    std::vector<Bytes> packets;
    for (size_t i = 0; i < units.size(); ++i) {
        std::vector<Bytes> some = packetizer.Packetize(SplitAnnexB(units[i].data(), units[i].size()),
                                                       static_cast<uint32_t>(i * ticksPerFrame));
        packets.insert(packets.end(), some.begin(), some.end());
    }
    return packets;
}

Bytes Rtp(uint16_t sequence, uint32_t timestamp, bool marker, const Bytes& payload)
{
    Bytes packet = {0x80,
                    static_cast<unsigned char>((marker ? 0x80 : 0) | 96),
                    static_cast<unsigned char>(sequence >> 8),
                    static_cast<unsigned char>(sequence),
                    static_cast<unsigned char>(timestamp >> 24),
                    static_cast<unsigned char>(timestamp >> 16),
                    static_cast<unsigned char>(timestamp >> 8),
                    static_cast<unsigned char>(timestamp),
                    0x12, 0x34, 0x56, 0x78};
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

Bytes Framed(const std::vector<Bytes>& packets)
{
    Bytes stream;
    for (const Bytes& packet : packets) {
        stream.push_back(static_cast<unsigned char>(packet.size() >> 8));
        stream.push_back(static_cast<unsigned char>(packet.size()));
        stream.insert(stream.end(), packet.begin(), packet.end());
    }
    return stream;
}

std::vector<Bytes> Split(const Bytes& stream, const std::vector<size_t>& sizes)
{
    std::vector<Bytes> pieces;
    size_t offset = 0;
    for (size_t i = 0; offset < stream.size(); ++i) {
        size_t size = std::min(sizes[std::min(i, sizes.size() - 1)], stream.size() - offset);
        pieces.emplace_back(stream.begin() + offset, stream.begin() + offset + size);
        offset += size;
    }
    return pieces;
}

std::vector<Bytes> SplitWithLoss(const Bytes& stream, size_t from, size_t to, size_t size)
{
    std::vector<Bytes> pieces = Split(Bytes(stream.begin(), stream.begin() + static_cast<long>(from)), {size});
    for (const Bytes& piece : Split(Bytes(stream.begin() + static_cast<long>(to), stream.end()), {size}))
        pieces.push_back(piece);
    return pieces;
}
