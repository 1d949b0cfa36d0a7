#include "XcbImage.h"

#include "XcbDisplay.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <sys/shm.h>
#include <xcb/shm.h>

CXcbImage::~CXcbImage()
{
    Release();
}

bool CXcbImage::Resize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height && Pixels())
        return true;
    Release();
    if (newWidth <= 0 || newHeight <= 0)
        return false;
    size_t bytes = static_cast<size_t>(newWidth) * newHeight * 4;
    if (!display.HasShm() || !AttachSegment(bytes)) {
        memory.reset(new (std::nothrow) uint8_t[bytes]);
        if (!memory)
            return false;
    }
    width = newWidth;
    height = newHeight;
    return true;
}

// A server on another machine cannot attach the segment: the image then stays in our memory.
bool CXcbImage::AttachSegment(size_t bytes)
{
    int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* address = shmat(id, nullptr, 0);
    bool attached = false;
    if (address != reinterpret_cast<void*>(-1)) {
        xcb_connection_t* connection = display.Connection();
        segment = xcb_generate_id(connection);
        xcb_generic_error_t* error = xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, id, 0));
        attached = !error;
        free(error);
    }
    // Removed once both sides let go, also when the process dies: no segment outlives us.
    shmctl(id, IPC_RMID, nullptr);
    if (attached) {
        shared = static_cast<uint8_t*>(address);
        return true;
    }
    if (address != reinterpret_cast<void*>(-1))
        shmdt(address);
    segment = 0;
    return false;
}

uint32_t CXcbImage::Put(xcb_window_t window, xcb_gcontext_t gc, uint8_t depth)
{
    xcb_connection_t* connection = display.Connection();
    if (shared) {
        // send_event 1: the server tells when it has read the segment.
        xcb_shm_put_image(connection, window, gc, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, 0,
                          static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, 0, depth,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 1, segment, 0);
    } else {
        PutStrips(window, gc, depth);
    }
    xcb_flush(connection);
    return shared ? segment : 0;
}

// A request above the server's limit would break the connection for every stream: rows go in
// strips that fit.
void CXcbImage::PutStrips(xcb_window_t window, xcb_gcontext_t gc, uint8_t depth)
{
    const int rowsPerStrip = static_cast<int>(std::min<size_t>(display.MaxImageBytes() / Stride(), height));
    for (int top = 0; rowsPerStrip > 0 && top < height; top += rowsPerStrip) {
        int rows = std::min(rowsPerStrip, height - top);
        xcb_put_image(display.Connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, static_cast<uint16_t>(width),
                      static_cast<uint16_t>(rows), 0, static_cast<int16_t>(top), 0, depth,
                      static_cast<uint32_t>(rows) * Stride(), Pixels() + static_cast<size_t>(top) * Stride());
    }
}

// The server finishes our earlier requests before it reads the detach: a Put still queued reads
// the segment first.
void CXcbImage::Release()
{
    if (shared) {
        xcb_shm_detach(display.Connection(), segment);
        shmdt(shared);
    }
    shared = nullptr;
    segment = 0;
    memory.reset();
    width = height = 0;
}
