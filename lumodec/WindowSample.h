#pragma once

#include "platform/platform.h"

#include <array>
#include <cstdint>

// A sparse copy of what a window shows, read back in one call: a grid of pixels spread over its
// client area. A copy taken after drawing and one taken later differ when the window lost what
// was drawn, whoever erased it (the window's own painting, being hidden and shown again).
class CWindowSample {
public:
    static constexpr int kColumns = 16;
    static constexpr int kRows = 9;
    using Grid = std::array<uint32_t, kColumns * kRows>;

    CWindowSample() = default;
    ~CWindowSample();
    CWindowSample(const CWindowSample&) = delete;
    CWindowSample& operator=(const CWindowSample&) = delete;

    // False when GDI refuses the memory for the copy.
    bool Open();
    // The grid over the client area (width x height) of the window whose DC is given. Points the
    // window does not show (hidden, off the screen) read as a value no pixel has.
    Grid Read(HDC window, int width, int height);

private:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ replaced = nullptr;
    uint32_t* bits = nullptr;
};
