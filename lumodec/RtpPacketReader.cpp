#include "RtpPacketReader.h"

#include "RtpPacket.h"

#include <algorithm>
#include <cstring>

namespace {

const int kPayloadTypeOffset = 1;
const unsigned char kPayloadTypeMask = 0x7f;
const int kSsrcOffset = 8;
// A frame's length and the fixed RTP header behind it.
const int kFrameHead = CRtpPacketReader::kLengthSize + RtpPacket::kFixedHeaderSize;

} // namespace

void CRtpPacketReader::Attach(const unsigned char* data, int length)
{
    block = data;
    left = data ? std::max(length, 0) : 0;
}

bool CRtpPacketReader::Next(const unsigned char** packet, int* length)
{
    if (framed)
        return NextFramed(packet, length);
    if (left == 0)
        return false;
    *packet = block;
    *length = left;
    left = 0;
    return true;
}

void CRtpPacketReader::Reset()
{
    start = 0;
    end = 0;
    known = false;
}

// Every pass either hands a packet out, keeps the rest of the block for later, or drops at
// least one byte: hostile input costs time in proportion to its length and nothing more.
bool CRtpPacketReader::NextFramed(const unsigned char** packet, int* length)
{
    for (;;) {
        if (!Plausible(0, known ? &stream : nullptr)) {
            Drop(1);
            continue;
        }
        if (Available() < kLengthSize || Available() < kLengthSize + LengthAt(0)) {
            Append(left);
            return false;
        }
        int size = kLengthSize + LengthAt(0);
        // The frame behind confirms this one, and with it the stream's identity.
        StreamId id = IdAt(0);
        if (!Plausible(size, &id)) {
            Drop(1);
            continue;
        }
        if (Available() - size >= kFrameHead) {
            stream = id;
            known = true;
        }
        const unsigned char* frame = Contiguous(size);
        Drop(size);
        *packet = frame + kLengthSize;
        *length = size - kLengthSize;
        return true;
    }
}

// Whether the frame at offset may be one of the stream's, judged on as much of its length and
// header as the input holds; id is the stream's, or null while it is not known.
bool CRtpPacketReader::Plausible(int offset, const StreamId* id) const
{
    int there = Available() - offset;
    if (there < kLengthSize)
        return true;
    int length = LengthAt(offset);
    if (length < RtpPacket::kFixedHeaderSize || length > kMaxPacket)
        return false;
    if (there < kFrameHead)
        return true;
    if (At(offset + kLengthSize) >> 6 != RtpPacket::kVersion)
        return false;
    StreamId seen = IdAt(offset);
    return !id || (seen.ssrc == id->ssrc && seen.payloadType == id->payloadType);
}

unsigned char CRtpPacketReader::At(int offset) const
{
    return offset < Held() ? window[start + offset] : block[offset - Held()];
}

int CRtpPacketReader::LengthAt(int offset) const
{
    return At(offset) << 8 | At(offset + 1);
}

// Called only where the whole header is there.
CRtpPacketReader::StreamId CRtpPacketReader::IdAt(int offset) const
{
    int header = offset + kLengthSize;
    uint32_t ssrc = 0;
    for (int i = 0; i < 4; ++i)
        ssrc = ssrc << 8 | At(header + kSsrcOffset + i);
    return StreamId{ssrc, static_cast<unsigned char>(At(header + kPayloadTypeOffset) & kPayloadTypeMask)};
}

// The first count bytes of the input in one piece: where they lie in the block, without a copy.
const unsigned char* CRtpPacketReader::Contiguous(int count)
{
    if (Held() == 0)
        return block;
    if (Held() < count)
        Append(count - Held());
    return window + start;
}

// Moves count bytes from the block to the window. The window then holds less than one frame,
// so it always has room once its contents are moved to its front.
void CRtpPacketReader::Append(int count)
{
    // An empty block may come as no block at all.
    if (count <= 0)
        return;
    if (end + count > static_cast<int>(sizeof window)) {
        memmove(window, window + start, static_cast<size_t>(Held()));
        end -= start;
        start = 0;
    }
    memcpy(window + end, block, static_cast<size_t>(count));
    end += count;
    block += count;
    left -= count;
}

void CRtpPacketReader::Drop(int count)
{
    int fromWindow = std::min(count, Held());
    start += fromWindow;
    if (start == end)
        start = end = 0;
    block += count - fromWindow;
    left -= count - fromWindow;
}
