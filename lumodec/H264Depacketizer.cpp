#include "H264Depacketizer.h"

#include "RtpPacket.h"

namespace {

const unsigned char kStartCode[] = {0, 0, 0, 1};
const unsigned char kNalTypeMask = 0x1f;
const unsigned char kNalHeaderHighBits = 0xe0;
const int kNalTypeIdr = 5;
const int kNalTypeLastSingle = 23;
const int kNalTypeStapA = 24;
const int kNalTypeFuA = 28;
const unsigned char kFuStart = 0x80;
const unsigned char kFuEnd = 0x40;
const int kFuHeaderSize = 2;
const int kStapSizeBytes = 2;
// A packet this far behind the expected sequence number came late or twice; one further behind
// means the sender started a new sequence.
const int kMaxLatePackets = 64;

} // namespace

CH264Depacketizer::CH264Depacketizer(size_t maxAccessUnit) : assembly(maxAccessUnit), ready(maxAccessUnit) {}

void CH264Depacketizer::Reset()
{
    assembly.Clear();
    assemblyStarted = assemblyDone = assemblyDamaged = assemblyHasIdr = inFragment = false;
    haveReady = haveSequence = false;
    waitingForKey = true;
}

void CH264Depacketizer::Push(const unsigned char* data, int length)
{
    RtpPacket packet;
    if (!packet.Read(data, length) || !AcceptSequence(packet.sequence))
        return;
    bool gap = static_cast<uint16_t>(packet.sequence) != expectedSequence;
    expectedSequence = static_cast<uint16_t>(packet.sequence + 1);
    // The packets lost may have ended the access unit being built...
    if (gap && !assemblyDone)
        Damage();
    if (assemblyDone || (assemblyStarted && packet.timestamp != assemblyTime))
        Finish();
    // ...or begun the one this packet belongs to.
    if (gap)
        Damage();
    assemblyStarted = true;
    assemblyTime = packet.timestamp;
    if (!assemblyDamaged && !AddPayload(packet.payload, packet.payloadLength))
        Damage();
    if (packet.marker)
        assemblyDone = true;
}

// False for a packet to ignore; leaves expectedSequence as it was so that Push can see a gap.
bool CH264Depacketizer::AcceptSequence(uint16_t sequence)
{
    if (!haveSequence) {
        haveSequence = true;
        expectedSequence = sequence;
        return true;
    }
    int behind = static_cast<int16_t>(expectedSequence - sequence);
    return behind <= 0 || behind > kMaxLatePackets;
}

bool CH264Depacketizer::Take(H264AccessUnit* unit)
{
    if (!haveReady && assemblyDone)
        Finish();
    if (!haveReady)
        return false;
    haveReady = false;
    unit->data = ready.Data();
    unit->size = ready.Size();
    unit->timestamp = readyTime;
    return true;
}

void CH264Depacketizer::Damage()
{
    assembly.Clear();
    inFragment = false;
    assemblyHasIdr = false;
    assemblyDamaged = true;
    waitingForKey = true;
}

void CH264Depacketizer::Finish()
{
    if (inFragment)
        Damage();
    bool usable = !assemblyDamaged && assembly.Size() > 0 && (!waitingForKey || assemblyHasIdr);
    if (usable) {
        // An IDR alone is enough: the decoder keeps the parameter sets it has seen.
        waitingForKey = false;
        ready.Swap(assembly);
        readyTime = assemblyTime;
        haveReady = true;
    }
    assembly.Clear();
    assemblyStarted = assemblyDone = assemblyDamaged = assemblyHasIdr = false;
}

bool CH264Depacketizer::AddPayload(const unsigned char* payload, int length)
{
    int type = payload[0] & kNalTypeMask;
    // A fragmented NAL unit must end before anything else comes.
    if (inFragment && type != kNalTypeFuA)
        return false;
    if (type >= 1 && type <= kNalTypeLastSingle)
        return AddNalUnit(payload, length);
    if (type == kNalTypeStapA)
        return AddAggregate(payload, length);
    if (type == kNalTypeFuA)
        return AddFragment(payload, length);
    // Packet types we do not take (STAP-B, MTAP, FU-B, reserved) carry nothing we could use.
    return true;
}

bool CH264Depacketizer::AddNalStart(unsigned char header)
{
    if ((header & kNalTypeMask) == kNalTypeIdr)
        assemblyHasIdr = true;
    return assembly.Append(kStartCode, sizeof kStartCode) && assembly.Append(&header, 1);
}

bool CH264Depacketizer::AddNalUnit(const unsigned char* nal, int length)
{
    return AddNalStart(nal[0]) && assembly.Append(nal + 1, static_cast<size_t>(length - 1));
}

bool CH264Depacketizer::AddAggregate(const unsigned char* payload, int length)
{
    int offset = 1;
    while (offset < length) {
        if (length - offset < kStapSizeBytes)
            return false;
        int size = payload[offset] << 8 | payload[offset + 1];
        offset += kStapSizeBytes;
        if (size == 0 || size > length - offset || !AddNalUnit(payload + offset, size))
            return false;
        offset += size;
    }
    return true;
}

bool CH264Depacketizer::AddFragment(const unsigned char* payload, int length)
{
    if (length < kFuHeaderSize)
        return false;
    unsigned char fuHeader = payload[1];
    if (fuHeader & kFuStart) {
        if (inFragment)
            return false;
        // The NAL header travels split: its high bits in the indicator, its type in the FU header.
        unsigned char header = static_cast<unsigned char>((payload[0] & kNalHeaderHighBits) | (fuHeader & kNalTypeMask));
        if (!AddNalStart(header))
            return false;
        inFragment = true;
    } else if (!inFragment) {
        return false;
    }
    if (!assembly.Append(payload + kFuHeaderSize, static_cast<size_t>(length - kFuHeaderSize)))
        return false;
    if (fuHeader & kFuEnd)
        inFragment = false;
    return true;
}
