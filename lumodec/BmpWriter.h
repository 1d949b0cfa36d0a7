#pragma once

#include "Yv12RgbReader.h"

// Writes a picture as a 24-bit bottom-up BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, then the
// rows from the bottom up, blue-green-red, each padded to a multiple of 4 bytes.
class CBmpWriter {
public:
    static constexpr int kFileHeaderSize = 14;
    static constexpr int kInfoHeaderSize = 40;

    // False for an invalid picture or a file that cannot be written.
    static bool Write(const CYv12RgbReader& picture, const char* path);
    static int RowSize(int width) { return (3 * width + 3) / 4 * 4; }
};
