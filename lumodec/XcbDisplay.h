#pragma once

#include "WindowWatch.h"
#include "platform/CriticalSection.h"

#include <cstddef>
#include <vector>
#include <xcb/xcb.h>

// The stand-in's one connection to the X server, opened on first use when DISPLAY is set and
// shared by every stream's display thread. XCB reports an error per request, so a handle that
// names no window fails our requests and nothing else: the host's own X error handling is never
// touched. Never closed: display threads may still draw while the process exits.
//
// Events reach whichever thread drains them, so the display keeps the painters' watches and
// files each event under its window.
class CXcbDisplay {
public:
    // Events are drained at most this often, whatever the number of streams: a new size or an
    // exposure is seen that much later.
    static constexpr DWORD kPumpMs = 10;

    // The shared connection; null when no display can be reached (not tried again) or the
    // connection has broken.
    static CXcbDisplay* Shared();

    xcb_connection_t* Connection() const { return connection; }
    bool HasShm() const { return shmFirstEvent != 0; }
    // Bytes of pixel data one PutImage request may carry.
    size_t MaxImageBytes() const;
    bool LittleEndianImages() const;
    // The visual of that id on any screen; null when there is none.
    const xcb_visualtype_t* Visual(xcb_visualid_t id) const;
    // Bits a pixel of that depth takes in an image; 0 for a depth the server has no format for.
    int BitsPerPixel(uint8_t depth) const;

    // From now on the window's events reach the watch.
    void Watch(WindowWatch* watch);
    void Unwatch(WindowWatch* watch);
    // What the events told about the watched window (draining them first when due); clears
    // its exposure.
    WindowWatch Look(WindowWatch* watch);
    // The server reads the image in that segment until it reports completion.
    void MarkBusy(WindowWatch* watch, uint32_t segment);

private:
    CXcbDisplay(xcb_connection_t* connection, uint8_t shmFirstEvent);
    static CXcbDisplay* Open();
    bool Watched(uint32_t window) const;
    void Pump();
    void Dispatch(const xcb_generic_event_t& event);

    xcb_connection_t* const connection;
    // 0 when the server offers no shared-memory images.
    const uint8_t shmFirstEvent;

    // Guards the watches and the pump time.
    CCriticalSection lock;
    std::vector<WindowWatch*> watches;
    DWORD lastPump = 0;
};
