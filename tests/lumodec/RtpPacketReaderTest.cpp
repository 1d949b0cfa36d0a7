#include "RtpPacketReader.h"
#include "TestCaseName.h"
#include "TestStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<Bytes> Packets()
{
    return {Bytes(1, 0x11), Bytes(300, 0x22), Bytes(), Bytes(1400, 0x33), Bytes(2, 0x44)};
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

struct SplitCase {
    std::string name;
    std::vector<size_t> sizes;
};

// Pieces of the framed stream: within length fields, within packets, several packets at once.
const SplitCase kSplits[] = {
    {"all at once", {100000}},
    {"byte by byte", {1}},
    {"inside the first length", {1, 100000}},
    {"after a length", {2, 100000}},
    {"inside a packet", {3, 200, 100000}},
    {"seven bytes", {7}},
    {"packet and a half", {500}},
    {"uneven", {5, 1, 301, 2, 2, 999, 3}},
};

class FramedSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(FramedSplitTest, GivesEveryPacketWhole)
{
    std::vector<Bytes> sent = Packets();
    CRtpPacketReader reader(true);
    std::vector<Bytes> got = Read(reader, CTestPacketizer::Split(CTestPacketizer::Framed(sent), GetParam().sizes));
    // The zero-length packet carries nothing and is skipped.
    sent.erase(sent.begin() + 2);
    EXPECT_EQ(got, sent);
}

INSTANTIATE_TEST_SUITE_P(RtpPacketReader, FramedSplitTest, ::testing::ValuesIn(kSplits), CaseName<SplitCase>);

TEST(RtpPacketReader, DatagramBlockIsOnePacket)
{
    CRtpPacketReader reader(false);
    std::vector<Bytes> blocks = {Bytes(5, 1), Bytes(1400, 2)};
    EXPECT_EQ(Read(reader, blocks), blocks);
}

TEST(RtpPacketReader, ResetForgetsAPartialPacket)
{
    CRtpPacketReader reader(true);
    Bytes stream = CTestPacketizer::Framed({Bytes(10, 1)});
    EXPECT_TRUE(Read(reader, {Bytes(stream.begin(), stream.begin() + 5)}).empty());
    reader.Reset();
    EXPECT_EQ(Read(reader, {stream}), std::vector<Bytes>{Bytes(10, 1)});
}

// The decoder attaches no block while its queue is empty, also between a length and its packet.
TEST(RtpPacketReader, NoBlockAfterALengthGivesNothing)
{
    CRtpPacketReader reader(true);
    Bytes stream = CTestPacketizer::Framed({Bytes(10, 1)});
    EXPECT_TRUE(Read(reader, {Bytes(stream.begin(), stream.begin() + 2)}).empty());
    reader.Attach(nullptr, 0);
    const unsigned char* packet = nullptr;
    int length = 0;
    EXPECT_FALSE(reader.Next(&packet, &length));
    EXPECT_EQ(Read(reader, {Bytes(stream.begin() + 2, stream.end())}), std::vector<Bytes>{Bytes(10, 1)});
}

TEST(RtpPacketReader, LargestPacketFits)
{
    CRtpPacketReader reader(true);
    Bytes big(CRtpPacketReader::kMaxPacket, 7);
    std::vector<Bytes> got = Read(reader, CTestPacketizer::Split(CTestPacketizer::Framed({big}), {1000}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], big);
}

} // namespace
