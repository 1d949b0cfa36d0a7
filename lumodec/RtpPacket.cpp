#include "RtpPacket.h"

namespace {

const unsigned char kPaddingBit = 0x20;
const unsigned char kExtensionBit = 0x10;
const unsigned char kCsrcCountMask = 0x0f;
const unsigned char kMarkerBit = 0x80;
const int kExtensionHeaderSize = 4;

uint32_t BigEndian16(const unsigned char* in)
{
    return static_cast<uint32_t>(in[0]) << 8 | in[1];
}

uint32_t BigEndian32(const unsigned char* in)
{
    return BigEndian16(in) << 16 | BigEndian16(in + 2);
}

} // namespace

bool RtpPacket::Read(const unsigned char* data, int length)
{
    if (!data || length < kFixedHeaderSize || data[0] >> 6 != kVersion)
        return false;
    int offset = kFixedHeaderSize + 4 * (data[0] & kCsrcCountMask);
    if (offset > length)
        return false;
    if (data[0] & kExtensionBit) {
        if (length - offset < kExtensionHeaderSize)
            return false;
        int extensionLength = 4 * static_cast<int>(BigEndian16(data + offset + 2));
        offset += kExtensionHeaderSize;
        if (extensionLength > length - offset)
            return false;
        offset += extensionLength;
    }
    int end = length;
    if (data[0] & kPaddingBit) {
        int padding = data[length - 1];
        if (padding == 0 || padding > end - offset)
            return false;
        end -= padding;
    }
    if (end == offset)
        return false;
    marker = (data[1] & kMarkerBit) != 0;
    sequence = static_cast<uint16_t>(BigEndian16(data + 2));
    timestamp = BigEndian32(data + 4);
    payload = data + offset;
    payloadLength = end - offset;
    return true;
}
