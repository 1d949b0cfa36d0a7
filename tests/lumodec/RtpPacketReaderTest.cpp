#include "RtpPacketReader.h"
#include "TestStream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Packets of one stream, of many sizes up to the largest taken, their sequence numbers crossing
// a multiple of 256. Each payload is one byte value repeated, from 0x20 to 0x7f: read as a
// length that is never plausible, so no false start hides inside a payload.
std::vector<Bytes> Packets(int count)
{
    const size_t kPayloads[] = {1, 300, 1400, 2, 700, CRtpPacketReader::kMaxPacket - 12, 57};
    std::vector<Bytes> packets;
    for (int i = 0; i < count; ++i) {
        Bytes payload(kPayloads[i % 7], static_cast<unsigned char>(0x20 + i % 96));
        packets.push_back(Rtp(static_cast<uint16_t>(250 + i), 3600u * (i / 3), i % 3 == 2, payload));
    }
    return packets;
}

// Where each packet's frame starts in the framed stream, and where the stream ends.
std::vector<size_t> FrameStarts(const std::vector<Bytes>& packets)
{
    std::vector<size_t> starts = {0};
    for (const Bytes& packet : packets)
        starts.push_back(starts.back() + CRtpPacketReader::kLengthSize + packet.size());
    return starts;
}

std::vector<Bytes> Read(CRtpPacketReader& reader, const std::vector<Bytes>& blocks)
{
    std::vector<Bytes> packets;
    for (const Bytes& block : blocks) {
        reader.Attach(block.data(), static_cast<int>(block.size()));
        const unsigned char* packet = nullptr;
        int length = 0;
        while (reader.Next(&packet, &length))
            packets.emplace_back(packet, packet + length);
    }
    return packets;
}

// Pieces of the framed stream: within length fields, within headers and packets, several
// packets at once, and none at all right after a length (the display thread attaches no block
// when its queue is empty).
TEST(RtpPacketReader, FramedStreamInAnyPiecesGivesEveryPacketWhole)
{
    const std::vector<size_t> splits[] = {{100000}, {1}, {1, 100000}, {9, 100000}, {2, 0, 100000},
                                          {3, 200, 100000}, {7}, {5, 1, 301, 2, 2, 999, 3}};
    std::vector<Bytes> sent = Packets(15);
    for (const std::vector<size_t>& sizes : splits) {
        CRtpPacketReader reader(true);
        EXPECT_EQ(Read(reader, Split(Framed(sent), sizes)), sent) << sizes[0];
    }
}

// A piece of the framed stream lost, from a byte of one frame (its length field first) to a byte
// of a later one, the rest read in pieces of the given size. Every packet before the cut and every
// packet that starts after it comes out as sent; the one the cut went through does not.
TEST(RtpPacketReader, FramedStreamResynchronisesAtTheNextFrameAfterALoss)
{
    const struct { const char* name; int fromFrame; size_t fromByte; int toFrame; size_t toByte, readSize; } cuts[] = {
        {"inside a length field", 5, 1, 7, 500, 1000},
        {"inside a header", 5, 6, 6, 9, 1000},
        {"from a frame's start", 5, 0, 6, 40, 1000},
        {"up to a frame's start", 5, 100, 8, 0, 1000},
        {"one whole frame", 5, 0, 6, 0, 1000},
        {"a few payload bytes", 10, 30, 10, 35, 1000},
        {"many frames", 3, 50, 17, 3, 1000},
        {"before the stream is known", 0, 9, 2, 11, 1000},
        {"small reads", 8, 400, 9, 100, 97},
        {"large reads", 4, 1000, 11, 7, 5108},
    };
    std::vector<Bytes> sent = Packets(24);
    std::vector<size_t> frameStart = FrameStarts(sent);
    for (const auto& cut : cuts) {
        size_t from = frameStart[cut.fromFrame] + cut.fromByte;
        size_t to = frameStart[cut.toFrame] + cut.toByte;
        std::vector<Bytes> expected;
        for (size_t i = 0; i < sent.size(); ++i) {
            if (frameStart[i + 1] <= from || frameStart[i] >= to)
                expected.push_back(sent[i]);
        }
        CRtpPacketReader reader(true);
        EXPECT_EQ(Read(reader, SplitWithLoss(Framed(sent), from, to, cut.readSize)), expected) << cut.name;
    }
}

// Resynchronising passes over a payload that holds frames of another stream: once the stream's
// SSRC is known, only its own packets are taken.
TEST(RtpPacketReader, LookalikeFramesInsideAPayloadAreNotTaken)
{
    std::vector<Bytes> lookalikes = Packets(2);
    for (Bytes& packet : lookalikes)
        packet[8] ^= 0xff;
    std::vector<Bytes> sent = Packets(8);
    sent[4] = Rtp(254, 3600, false, Framed(lookalikes));
    // From inside the header of the fourth frame to the first lookalike.
    std::vector<size_t> frameStart = FrameStarts(sent);
    size_t from = frameStart[3] + 5;
    size_t to = frameStart[4] + CRtpPacketReader::kLengthSize + 12;
    CRtpPacketReader reader(true);
    std::vector<Bytes> expected = {sent[0], sent[1], sent[2], sent[5], sent[6], sent[7]};
    EXPECT_EQ(Read(reader, SplitWithLoss(Framed(sent), from, to, 100000)), expected);
}

// Random bytes, and frames with random lengths and headers, in random pieces: whatever comes
// out is a version 2 packet within the bounds.
TEST(RtpPacketReader, HostileInputGivesOnlyPacketsWithinTheBounds)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_int_distribution<size_t> pieceSize(1, 3000);
        Bytes stream;
        while (stream.size() < 200000) {
            size_t length = random() % 2 ? random() % 0x10000 : random() % 0x600;
            stream.push_back(static_cast<unsigned char>(length >> 8));
            stream.push_back(static_cast<unsigned char>(length));
            stream.push_back(static_cast<unsigned char>(0x80 | byte(random)));
            for (size_t i = std::min<size_t>(length, 2000); i > 1; --i)
                stream.push_back(static_cast<unsigned char>(byte(random)));
        }
        std::vector<size_t> pieces(300);
        for (size_t& size : pieces)
            size = pieceSize(random);
        CRtpPacketReader reader(true);
        for (const Bytes& packet : Read(reader, Split(stream, pieces))) {
            ASSERT_GE(packet.size(), 12u) << "seed " << seed;
            ASSERT_LE(packet.size(), static_cast<size_t>(CRtpPacketReader::kMaxPacket)) << "seed " << seed;
            ASSERT_EQ(packet[0] >> 6, 2) << "seed " << seed;
        }
    }
}

// After a reset the input may start anywhere, and the stream may come with a new SSRC.
TEST(RtpPacketReader, ResetForgetsAPartialPacketAndTheStream)
{
    CRtpPacketReader reader(true);
    std::vector<Bytes> first = Packets(3);
    Bytes stream = Framed(first);
    std::vector<Bytes> whole(first.begin(), first.end() - 1);
    EXPECT_EQ(Read(reader, {Bytes(stream.begin(), stream.end() - 5)}), whole);
    reader.Reset();
    std::vector<Bytes> next = Packets(3);
    for (Bytes& packet : next)
        packet[8] ^= 0xff;
    stream = Framed(next);
    std::vector<Bytes> after(next.begin() + 1, next.end());
    EXPECT_EQ(Read(reader, {Bytes(stream.begin() + 7, stream.end())}), after);
}

} // namespace
