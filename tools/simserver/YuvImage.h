#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A planar 4:2:0 picture (what the encoder takes): full-size luma, half-size chroma planes.
struct YuvImage {
    YuvImage(int width, int height)
        : width(width), height(height), y(static_cast<size_t>(width) * height),
          u(static_cast<size_t>(width / 2) * (height / 2)), v(u.size())
    {
    }
    int ChromaWidth() const { return width / 2; }
    int ChromaHeight() const { return height / 2; }

    int width;
    int height;
    std::vector<uint8_t> y;
    std::vector<uint8_t> u;
    std::vector<uint8_t> v;
};
