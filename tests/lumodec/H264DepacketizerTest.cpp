#include "H264Depacketizer.h"
#include "TestStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

const size_t kLimit = 4096;

// NAL units by type: their header byte and a little body.
const Bytes kSps = {0x67, 0x42, 0x00, 0x1e};
const Bytes kPps = {0x68, 0xce, 0x38};
const Bytes kIdr = {0x65, 0x88, 0x84, 0x21, 0x43};
const Bytes kSlice = {0x41, 0x9a, 0x02};

// A FU-A payload of the NAL unit's body bytes [from, to).
Bytes Fragment(const Bytes& nal, size_t from, size_t to, bool start, bool end)
{
    Bytes payload = {static_cast<unsigned char>((nal[0] & 0xe0) | 28),
                     static_cast<unsigned char>((start ? 0x80 : 0) | (end ? 0x40 : 0) | (nal[0] & 0x1f))};
    payload.insert(payload.end(), nal.begin() + from, nal.begin() + to);
    return payload;
}

// The Annex-B access unit of these NAL units.
Bytes Unit(const std::vector<Bytes>& nals)
{
    Bytes unit;
    for (const Bytes& nal : nals) {
        unit.insert(unit.end(), {0, 0, 0, 1});
        unit.insert(unit.end(), nal.begin(), nal.end());
    }
    return unit;
}

typedef std::vector<std::pair<uint32_t, Bytes>> Units;

struct DepacketizeCase { std::string name; std::vector<Bytes> packets; Units units; };

// The access units of the packets, each packet given from a buffer of its own size, so that the
// sanitizer sees any read past its end.
Units Depacketize(const std::vector<Bytes>& packets)
{
    CH264Depacketizer depacketizer(kLimit);
    Units units;
    H264AccessUnit unit;
    for (const Bytes& packet : packets) {
        std::unique_ptr<unsigned char[]> exact(new unsigned char[std::max<size_t>(packet.size(), 1)]);
        std::copy(packet.begin(), packet.end(), exact.get());
        depacketizer.Push(exact.get(), static_cast<int>(packet.size()));
        while (depacketizer.Take(&unit))
            units.emplace_back(unit.timestamp, Bytes(unit.data, unit.data + unit.size));
    }
    return units;
}

const Bytes kLarge = [] {
    Bytes nal(5000, 0x55);
    nal[0] = 0x65;
    return nal;
}();

const DepacketizeCase kCases[] = {
    {"single NAL units, one access unit ended by the marker",
     {Rtp(1, 100, false, kSps), Rtp(2, 100, false, kPps), Rtp(3, 100, true, kIdr)},
     {{100, Unit({kSps, kPps, kIdr})}}},
    {"access unit ended by the next timestamp",
     {Rtp(1, 100, false, kIdr), Rtp(2, 200, true, kSlice)},
     {{100, Unit({kIdr})}, {200, Unit({kSlice})}}},
    {"FU-A fragments joined",
     {Rtp(1, 100, false, Fragment(kIdr, 1, 2, true, false)), Rtp(2, 100, false, Fragment(kIdr, 2, 4, false, false)),
      Rtp(3, 100, true, Fragment(kIdr, 4, 5, false, true))},
     {{100, Unit({kIdr})}}},
    {"STAP-A unpacked",
     {Rtp(1, 100, true, Bytes({24, 0, 4, 0x67, 0x42, 0x00, 0x1e, 0, 3, 0x68, 0xce, 0x38, 0, 5, 0x65, 0x88, 0x84, 0x21,
                             0x43}))},
     {{100, Unit({kSps, kPps, kIdr})}}},
    {"sequence numbers wrap", {Rtp(65535, 100, true, kIdr), Rtp(0, 200, true, kSlice)},
     {{100, Unit({kIdr})}, {200, Unit({kSlice})}}},
    {"nothing before the first key frame", {Rtp(1, 100, true, kSlice), Rtp(2, 200, true, kIdr)}, {{200, Unit({kIdr})}}},
    {"a gap drops frames until the next key frame",
     {Rtp(1, 100, true, kIdr), Rtp(2, 200, true, kSlice), Rtp(4, 400, true, kSlice), Rtp(5, 500, true, kSlice),
      Rtp(6, 600, true, kIdr), Rtp(7, 700, true, kSlice)},
     {{100, Unit({kIdr})}, {200, Unit({kSlice})}, {600, Unit({kIdr})}, {700, Unit({kSlice})}}},
    {"a gap inside a key frame drops it too",
     {Rtp(1, 100, false, Fragment(kIdr, 1, 2, true, false)), Rtp(3, 100, true, Fragment(kIdr, 4, 5, false, true)),
      Rtp(4, 200, true, kSlice), Rtp(5, 300, true, kIdr)},
     {{300, Unit({kIdr})}}},
    {"a late or repeated packet is ignored",
     {Rtp(1, 100, true, kIdr), Rtp(2, 200, true, kSlice), Rtp(1, 100, true, kIdr), Rtp(3, 300, true, kSlice)},
     {{100, Unit({kIdr})}, {200, Unit({kSlice})}, {300, Unit({kSlice})}}},
    {"FU-A without its start is dropped until the next key frame",
     {Rtp(1, 100, true, kIdr), Rtp(2, 200, true, Fragment(kSlice, 1, 3, false, true)), Rtp(3, 300, true, kSlice),
      Rtp(4, 400, true, kIdr)},
     {{100, Unit({kIdr})}, {400, Unit({kIdr})}}},
    {"FU-A interrupted by another NAL unit",
     {Rtp(1, 100, false, Fragment(kIdr, 1, 2, true, false)), Rtp(2, 100, true, kSlice), Rtp(3, 200, true, kIdr)},
     {{200, Unit({kIdr})}}},
    {"FU-A started twice", {Rtp(1, 100, false, Fragment(kIdr, 1, 2, true, false)),
                            Rtp(2, 100, true, Fragment(kIdr, 1, 5, true, true)), Rtp(3, 200, true, kIdr)},
     {{200, Unit({kIdr})}}},
    {"FU-A left open at the marker", {Rtp(1, 100, true, Fragment(kIdr, 1, 3, true, false)), Rtp(2, 200, true, kIdr)},
     {{200, Unit({kIdr})}}},
    {"STAP-A with a size beyond the packet", {Rtp(1, 100, true, Bytes({24, 0, 9, 0x65, 1})), Rtp(2, 200, true, kIdr)},
     {{200, Unit({kIdr})}}},
    {"STAP-A with a zero size", {Rtp(1, 100, true, Bytes({24, 0, 0})), Rtp(2, 200, true, kIdr)}, {{200, Unit({kIdr})}}},
    {"FU-A shorter than its header", {Rtp(1, 100, true, Bytes({28})), Rtp(2, 200, true, kIdr)}, {{200, Unit({kIdr})}}},
    {"an access unit beyond the limit is dropped",
     {Rtp(1, 100, false, Fragment(kLarge, 1, 2500, true, false)),
      Rtp(2, 100, true, Fragment(kLarge, 2500, 5000, false, true)), Rtp(3, 200, true, kSlice),
      Rtp(4, 300, true, kIdr)},
     {{300, Unit({kIdr})}}},
    {"a CSRC and an extension header are skipped",
     {Bytes({0x91, 0xe0, 0, 1, 0, 0, 0, 100, 0, 0, 0, 1, 9, 9, 9, 9, 0xbe, 0xde, 0, 1, 7, 7, 7, 7, 0x65, 0x88, 0x84, 0x21,
           0x43})},
     {{100, Unit({kIdr})}}},
    {"packet types we do not take are skipped",
     {Rtp(1, 100, false, Bytes({25, 1, 2})), Rtp(2, 100, true, kIdr)},
     {{100, Unit({kIdr})}}},
};

TEST(H264Depacketizer, GivesTheAccessUnits)
{
    for (const DepacketizeCase& c : kCases)
        EXPECT_EQ(Depacketize(c.packets), c.units) << c.name;
}

// Packets a hostile server might send; none may be read past its end, and none takes a place
// in the sequence, so the key frame after them comes through.
struct HostileCase { std::string name; Bytes packet; };

Bytes WithHeader(unsigned char first, std::initializer_list<unsigned char> rest)
{
    Bytes packet = {first, 96, 0, 2, 0, 0, 0, 150, 0, 0, 0, 1};
    packet.insert(packet.end(), rest);
    return packet;
}

const HostileCase kHostile[] = {
    {"empty", {}},
    {"shorter than the fixed header", Bytes({0x80, 96, 0, 2, 0, 0})},
    {"version 1", WithHeader(0x40, {0x65, 1})},
    {"15 CSRCs in a short packet", WithHeader(0x8f, {0x65, 1, 2, 3})},
    {"extension header cut off", WithHeader(0x90, {0xbe, 0xde})},
    {"extension longer than the packet", WithHeader(0x90, {0xbe, 0xde, 0x40, 0x00, 0x65, 1})},
    {"padding longer than the packet", WithHeader(0xa0, {0x65, 1, 200})},
    {"zero padding", WithHeader(0xa0, {0x65, 1, 0})},
    {"header only", WithHeader(0x80, {})},
    {"padding eats the payload", WithHeader(0xa0, {0x65, 2})},
};

TEST(H264Depacketizer, HostilePacketsAreIgnored)
{
    for (const HostileCase& c : kHostile) {
        EXPECT_EQ(Depacketize({Rtp(1, 100, true, kIdr), c.packet, Rtp(2, 200, true, kIdr)}),
                  (Units{{100, Unit({kIdr})}, {200, Unit({kIdr})}}))
            << c.name;
    }
}

TEST(H264Depacketizer, ResetWaitsForTheNextKeyFrame)
{
    CH264Depacketizer depacketizer(kLimit);
    H264AccessUnit unit;
    Bytes packets[] = {Rtp(1, 100, true, kIdr), Rtp(9, 900, true, kSlice), Rtp(10, 1000, true, kIdr)};
    depacketizer.Push(packets[0].data(), static_cast<int>(packets[0].size()));
    EXPECT_TRUE(depacketizer.Take(&unit));
    depacketizer.Reset();
    depacketizer.Push(packets[1].data(), static_cast<int>(packets[1].size()));
    EXPECT_FALSE(depacketizer.Take(&unit));
    depacketizer.Push(packets[2].data(), static_cast<int>(packets[2].size()));
    ASSERT_TRUE(depacketizer.Take(&unit));
    EXPECT_EQ(unit.timestamp, 1000u);
}

} // namespace
