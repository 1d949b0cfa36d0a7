#pragma once

#include "PicturePlanes.h"

#include <cstddef>
#include <memory>

// A planar YV12 picture as the display callback hands it out: the Y plane (width x height),
// then V, then U (each width/2 x height/2), without gaps between rows.
class CYv12Picture {
public:
    // The picture type the display callback and the file converters name it by.
    static constexpr int kPictureType = 3;
    // Larger pictures are refused, so that sizes stay far from overflowing an int.
    static constexpr int kMaxSide = 16384;

    // Bytes of a picture of that size; 0 when the size is not one we take.
    static size_t SizeFor(int width, int height);

    // Makes room for a picture of that size, keeping the buffer when it is large enough.
    bool Resize(int width, int height);
    // Becomes a copy of the picture; false for a size Resize refuses.
    bool CopyFrom(const PicturePlanes& picture);
    int Width() const { return width; }
    int Height() const { return height; }
    size_t Size() const { return SizeFor(width, height); }
    const unsigned char* Data() const { return bytes.get(); }
    unsigned char* Y() { return bytes.get(); }
    unsigned char* V() { return bytes.get() + static_cast<size_t>(width) * height; }
    unsigned char* U() { return V() + static_cast<size_t>(width / 2) * (height / 2); }
    const unsigned char* V() const { return const_cast<CYv12Picture*>(this)->V(); }
    const unsigned char* U() const { return const_cast<CYv12Picture*>(this)->U(); }

private:
    std::unique_ptr<unsigned char[]> bytes;
    size_t capacity = 0;
    int width = 0;
    int height = 0;
};
