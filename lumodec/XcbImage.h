#pragma once

#include <cstdint>
#include <memory>
#include <xcb/xcb.h>

class CXcbDisplay;

// The window-sized picture of 32-bit pixels that a painter copies into its window. It lives in
// a shared-memory segment where the server takes one (the server then reads the pixels itself),
// else in our memory, sent in strips that stay below the server's request limit.
class CXcbImage {
public:
    explicit CXcbImage(CXcbDisplay& display) : display(display) {}
    ~CXcbImage();
    CXcbImage(const CXcbImage&) = delete;
    CXcbImage& operator=(const CXcbImage&) = delete;

    // Keeps the pixels when the size stays the same; false for an empty size or no memory.
    bool Resize(int width, int height);
    int Width() const { return width; }
    int Height() const { return height; }
    int Stride() const { return width * 4; }
    uint8_t* Pixels() const { return shared ? shared : memory.get(); }
    // Copies the pixels into the window. Returns the segment the server reads them from (the
    // pixels must not change until it reports completion), or 0 when they went with the request.
    uint32_t Put(xcb_window_t window, xcb_gcontext_t gc, uint8_t depth);

private:
    bool AttachSegment(size_t bytes);
    void PutStrips(xcb_window_t window, xcb_gcontext_t gc, uint8_t depth);
    void Release();

    CXcbDisplay& display;
    int width = 0;
    int height = 0;
    std::unique_ptr<uint8_t[]> memory;
    uint8_t* shared = nullptr;
    uint32_t segment = 0;
};
