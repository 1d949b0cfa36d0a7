#pragma once

#include "PicturePlanes.h"

#include <cstdint>

struct SwsContext;

// Converts a 4:2:0 picture to 32-bit pixels of another size with libswscale. The context is
// kept while the sizes stay the same, since setting one up costs far more than a frame.
class CPictureScaler {
public:
    CPictureScaler() = default;
    ~CPictureScaler();
    CPictureScaler(const CPictureScaler&) = delete;
    CPictureScaler& operator=(const CPictureScaler&) = delete;

    // Pixels as 32-bit words 0x00RRGGBB stored in the given byte order. False when libswscale
    // refuses the sizes.
    bool Scale(const PicturePlanes& picture, uint8_t* out, int outStride, int outWidth, int outHeight,
               bool littleEndian);

private:
    SwsContext* context = nullptr;
};
