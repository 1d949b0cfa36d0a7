#include "XcbDisplay.h"

#include "platform/LockGuard.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <xcb/shm.h>

namespace {
// A PutImage request's own fields, with the length word BIG-REQUESTS adds.
const size_t kPutImageHeaderBytes = 28;
} // namespace

CXcbDisplay::CXcbDisplay(xcb_connection_t* connection, uint8_t shmFirstEvent)
    : connection(connection), shmFirstEvent(shmFirstEvent)
{
}

// A host without a display (DISPLAY unset, server unreachable) is served as before: no drawing.
CXcbDisplay* CXcbDisplay::Open()
{
    const char* name = getenv("DISPLAY");
    if (!name || !*name)
        return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    // Event codes start above 1, so 0 can mean "no shared memory".
    CXcbDisplay* display = new (std::nothrow) CXcbDisplay(connection, shm && shm->present ? shm->first_event : 0);
    if (!display)
        xcb_disconnect(connection);
    return display;
}

CXcbDisplay* CXcbDisplay::Shared()
{
    static CXcbDisplay* const display = Open();
    return display && !xcb_connection_has_error(display->connection) ? display : nullptr;
}

size_t CXcbDisplay::MaxImageBytes() const
{
    size_t request = static_cast<size_t>(xcb_get_maximum_request_length(connection)) * 4;
    return request > kPutImageHeaderBytes ? request - kPutImageHeaderBytes : 0;
}

bool CXcbDisplay::LittleEndianImages() const
{
    return xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
}

const xcb_visualtype_t* CXcbDisplay::Visual(xcb_visualid_t id) const
{
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(connection)); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem; xcb_visualtype_next(&visual)) {
                if (visual.data->visual_id == id)
                    return visual.data;
            }
        }
    }
    return nullptr;
}

int CXcbDisplay::BitsPerPixel(uint8_t depth) const
{
    for (auto format = xcb_setup_pixmap_formats_iterator(xcb_get_setup(connection)); format.rem;
         xcb_format_next(&format)) {
        if (format.data->depth == depth)
            return format.data->bits_per_pixel;
    }
    return 0;
}

void CXcbDisplay::Watch(WindowWatch* watch)
{
    CLockGuard guard(lock);
    watches.push_back(watch);
}

// The window's events are turned off once nobody draws into it, so that they do not pile up
// unread.
void CXcbDisplay::Unwatch(WindowWatch* watch)
{
    CLockGuard guard(lock);
    watches.erase(std::remove(watches.begin(), watches.end(), watch), watches.end());
    if (watch->gone || Watched(watch->window))
        return;
    const uint32_t noEvents = 0;
    xcb_change_window_attributes(connection, watch->window, XCB_CW_EVENT_MASK, &noEvents);
    xcb_flush(connection);
}

bool CXcbDisplay::Watched(uint32_t window) const
{
    return std::any_of(watches.begin(), watches.end(), [window](const WindowWatch* w) { return w->window == window; });
}

WindowWatch CXcbDisplay::Look(WindowWatch* watch)
{
    CLockGuard guard(lock);
    Pump();
    WindowWatch seen = *watch;
    watch->exposed = false;
    return seen;
}

void CXcbDisplay::MarkBusy(WindowWatch* watch, uint32_t segment)
{
    CLockGuard guard(lock);
    watch->busy = true;
    watch->shmSegment = segment;
}

// Called with the lock held.
void CXcbDisplay::Pump()
{
    DWORD now = GetTickCount();
    if (now - lastPump < kPumpMs)
        return;
    lastPump = now;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        Dispatch(*event);
        free(event);
    }
}

// Errors of requests nobody waits for arrive here too; one naming a watched window means the
// window has gone.
void CXcbDisplay::Dispatch(const xcb_generic_event_t& event)
{
    const uint8_t type = event.response_type & 0x7f;
    for (WindowWatch* watch : watches) {
        if (type == 0) {
            const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
            if ((error.error_code == XCB_WINDOW || error.error_code == XCB_DRAWABLE) &&
                error.resource_id == watch->window)
                watch->gone = true;
        } else if (type == XCB_EXPOSE) {
            watch->exposed |= reinterpret_cast<const xcb_expose_event_t&>(event).window == watch->window;
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            if (configure.window == watch->window) {
                watch->width = configure.width;
                watch->height = configure.height;
            }
        } else if (type == XCB_DESTROY_NOTIFY) {
            watch->gone |= reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == watch->window;
        } else if (HasShm() && type == shmFirstEvent + XCB_SHM_COMPLETION) {
            if (reinterpret_cast<const xcb_shm_completion_event_t&>(event).shmseg == watch->shmSegment)
                watch->busy = false;
        }
    }
}
