#pragma once

#include <cstddef>

// Reads a YV12 picture given as bytes (as the file converters receive it) row by row as RGB.
class CYv12RgbReader {
public:
    CYv12RgbReader(const unsigned char* picture, size_t size, int width, int height, int pictureType);

    // False for a null or short picture, a size we do not take, or another picture type.
    bool Valid() const { return valid; }
    int Width() const { return width; }
    int Height() const { return height; }
    // Writes the row's width pixels as three bytes each, red first, or blue first when bgr.
    void ReadRow(int row, unsigned char* out, bool bgr) const;

private:
    const unsigned char* y;
    const unsigned char* v;
    const unsigned char* u;
    int width;
    int height;
    bool valid;
};
