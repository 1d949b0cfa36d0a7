#pragma once

#include "PicturePlanes.h"
#include "platform/platform.h"

#include <memory>

// Shows one stream's frames in the host's window, scaled to the window's size. On Linux the
// window handle is an X window id: drawing needs a reachable X display and is built where XCB
// and libswscale are found (WindowPainter.cpp). On Windows it is an HWND of the host's process,
// drawn into with GDI where libswscale is found (WindowPainterGdi.cpp). Elsewhere nothing is
// drawn (WindowPainterNone.cpp). A handle that names no window we can draw into, or a window
// destroyed while playing, ends the drawing for that stream and nothing else.
//
// Used by the stream's display thread only.
class CWindowPainter {
public:
    CWindowPainter();
    ~CWindowPainter();
    CWindowPainter(const CWindowPainter&) = delete;
    CWindowPainter& operator=(const CWindowPainter&) = delete;

    // Keeps the window (null: none) showing the picture, the stream's last shown frame as the
    // decoder left it (null: none yet); fresh says it is a new frame, or one to draw again in
    // full (the host asked). Called between frames too: the picture is then drawn again only
    // where the window lost it (exposed, resized), or when the server was still busy with the
    // frame before when it came.
    void Update(HWND window, const PicturePlanes* picture, bool fresh);

private:
    struct Target;

    HWND window = nullptr;
    std::unique_ptr<Target> target;
};
