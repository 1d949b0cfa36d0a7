#pragma once

#include "Yv12RgbReader.h"

// Writes a picture as a JPEG file. Built with libjpeg where it is found; elsewhere Write always
// fails (JpegWriterNone.cpp).
class CJpegWriter {
public:
    static constexpr int kQuality = 85;

    // False for an invalid picture, a file that cannot be written, or a build without libjpeg.
    static bool Write(const CYv12RgbReader& picture, const char* path);
};
