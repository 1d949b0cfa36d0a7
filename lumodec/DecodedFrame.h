#pragma once

#include "Yv12Picture.h"

#include <cstdint>

// A frame ready to be shown: its RTP timestamp and, when the build decodes, its picture.
struct DecodedFrame {
    uint32_t timestamp = 0;
    bool hasPicture = false;
    CYv12Picture picture;
};
