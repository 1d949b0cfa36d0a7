#pragma once

#include <cstdint>

// What the X server's events told about one window a painter draws into. Written by whichever
// display thread drains the events, read by the painter: both under the shared display's lock.
struct WindowWatch {
    uint32_t window = 0;
    int width = 0;
    int height = 0;
    // Part of the window lost its pixels (uncovered, mapped) since the painter last looked.
    bool exposed = false;
    // The window was destroyed, or a request on it failed as naming no window.
    bool gone = false;
    // The server has not yet read the painter's shared-memory image from segment shmSegment.
    bool busy = false;
    uint32_t shmSegment = 0;
};
