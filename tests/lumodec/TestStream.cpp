#include "TestStream.h"

#include <gtest/gtest.h>

#include <algorithm>

Bytes CTestPacketizer::Rtp(uint16_t sequence, uint32_t timestamp, bool marker, const Bytes& payload)
{
    Bytes packet = {0x80,
                    static_cast<unsigned char>((marker ? 0x80 : 0) | kPayloadType),
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

std::vector<Bytes> CTestPacketizer::NalUnits(const Bytes& unit)
{
    std::vector<Bytes> nals;
    size_t i = 0;
    size_t start = 0;
    bool inNal = false;
    while (i + 3 <= unit.size()) {
        if (unit[i] == 0 && unit[i + 1] == 0 && unit[i + 2] == 1) {
            if (inNal)
                nals.emplace_back(unit.begin() + start, unit.begin() + (i > start && unit[i - 1] == 0 ? i - 1 : i));
            i += 3;
            start = i;
            inNal = true;
        } else {
            ++i;
        }
    }
    if (inNal)
        nals.emplace_back(unit.begin() + start, unit.end());
    return nals;
}

void CTestPacketizer::AddFragments(const Bytes& nal, uint32_t timestamp, std::vector<Bytes>* packets)
{
    unsigned char indicator = static_cast<unsigned char>((nal[0] & 0xe0) | 28);
    size_t chunk = maxPayload - 2;
    for (size_t offset = 1; offset < nal.size(); offset += chunk) {
        size_t end = std::min(nal.size(), offset + chunk);
        unsigned char header = static_cast<unsigned char>((offset == 1 ? 0x80 : 0) | (end == nal.size() ? 0x40 : 0) |
                                                          (nal[0] & 0x1f));
        Bytes payload = {indicator, header};
        payload.insert(payload.end(), nal.begin() + offset, nal.begin() + end);
        packets->push_back(Rtp(sequence++, timestamp, false, payload));
    }
}

std::vector<Bytes> CTestPacketizer::Packetize(const Bytes& unit, uint32_t timestamp)
{
    std::vector<Bytes> packets;
    for (const Bytes& nal : NalUnits(unit)) {
        if (nal.size() <= maxPayload)
            packets.push_back(Rtp(sequence++, timestamp, false, nal));
        else
            AddFragments(nal, timestamp, &packets);
    }
    if (!packets.empty())
        packets.back()[1] |= 0x80;
    return packets;
}

std::vector<Bytes> CTestPacketizer::PacketizeAll(const std::vector<Bytes>& units, uint32_t ticksPerFrame)
{
    std::vector<Bytes> packets;
    for (size_t i = 0; i < units.size(); ++i) {
        std::vector<Bytes> some = Packetize(units[i], static_cast<uint32_t>(i * ticksPerFrame));
        packets.insert(packets.end(), some.begin(), some.end());
    }
    return packets;
}

Bytes CTestPacketizer::Framed(const std::vector<Bytes>& packets)
{
    Bytes stream;
    for (const Bytes& packet : packets) {
        stream.push_back(static_cast<unsigned char>(packet.size() >> 8));
        stream.push_back(static_cast<unsigned char>(packet.size()));
        stream.insert(stream.end(), packet.begin(), packet.end());
    }
    return stream;
}

std::vector<Bytes> CTestPacketizer::Split(const Bytes& stream, const std::vector<size_t>& sizes)
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

std::vector<Bytes> CTestPacketizer::SplitWithLoss(const Bytes& stream, size_t from, size_t to, size_t size)
{
    std::vector<Bytes> pieces = Split(Bytes(stream.begin(), stream.begin() + static_cast<long>(from)), {size});
    for (const Bytes& piece : Split(Bytes(stream.begin() + static_cast<long>(to), stream.end()), {size}))
        pieces.push_back(piece);
    return pieces;
}

std::vector<Bytes> CTestEncoder::Video(int frames, int keyInterval)
{
    TestVideoSpec clip;
    clip.frames = frames;
    clip.keyInterval = keyInterval;
    std::vector<Bytes> units;
    EXPECT_TRUE(Encode(clip, &units));
    return units;
}
