#include "RtpPacketReader.h"

#include <algorithm>
#include <cstring>

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
    lengthBytes = 0;
    expected = 0;
    got = 0;
}

void CRtpPacketReader::Take(int count)
{
    block += count;
    left -= count;
}

void CRtpPacketReader::ReadLength()
{
    while (lengthBytes < 2 && left > 0) {
        expected = expected << 8 | block[0];
        ++lengthBytes;
        Take(1);
    }
}

bool CRtpPacketReader::NextFramed(const unsigned char** packet, int* length)
{
    for (;;) {
        ReadLength();
        if (lengthBytes < 2)
            return false;
        // A whole packet inside the block is handed out where it lies, without a copy.
        if (got == 0 && left >= expected) {
            *packet = block;
            *length = expected;
            Take(expected);
            Reset();
            if (*length > 0)
                return true;
            continue;
        }
        // Nothing of the packet in this block; there may be no block at all.
        if (left == 0)
            return false;
        int count = std::min(left, expected - got);
        memcpy(partial + got, block, count);
        got += count;
        Take(count);
        if (got < expected)
            return false;
        *packet = partial;
        *length = got;
        Reset();
        return true;
    }
}
