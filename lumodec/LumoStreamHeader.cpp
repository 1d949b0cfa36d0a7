#include "LumoStreamHeader.h"

#include <cstring>

namespace {

const int kMagicSize = 4;

void Put(unsigned char* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t Get(const unsigned char* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

} // namespace

void LumoStreamHeader::Write(unsigned char* out) const
{
    memset(out, 0, kSize);
    memcpy(out, kMagic, kMagicSize);
    const uint32_t fields[] = {version, codec, packaging, width, height, frameRate, clockRate, durationMs};
    for (int i = 0; i < 8; ++i)
        Put(out + kMagicSize + 4 * i, fields[i]);
}

bool LumoStreamHeader::Read(const unsigned char* in, int length)
{
    if (!in || length != kSize || memcmp(in, kMagic, kMagicSize) != 0)
        return false;
    uint32_t* fields[] = {&version, &codec, &packaging, &width, &height, &frameRate, &clockRate, &durationMs};
    for (int i = 0; i < 8; ++i)
        *fields[i] = Get(in + kMagicSize + 4 * i);
    return version == kVersion && codec == kCodecH264;
}
