#include "WindowPainter.h"

#include "PictureScaler.h"
#include "XcbDisplay.h"
#include "XcbImage.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

struct FreeReply {
    void operator()(void* reply) const { free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The pixels we write are 32-bit 0x00RRGGBB: the window's visual must read them that way.
bool Drawable(const CXcbDisplay& display, const xcb_get_window_attributes_reply_t& attributes,
              const xcb_get_geometry_reply_t& geometry)
{
    const xcb_visualtype_t* visual = display.Visual(attributes.visual);
    return attributes._class == XCB_WINDOW_CLASS_INPUT_OUTPUT && visual && visual->red_mask == 0xff0000 &&
           visual->green_mask == 0xff00 && visual->blue_mask == 0xff && display.BitsPerPixel(geometry.depth) == 32;
}

} // namespace

// One window being drawn into, from the moment it proved drawable until it is left or gone.
struct CWindowPainter::Target {
    Target(CXcbDisplay& display, xcb_window_t window, const xcb_get_geometry_reply_t& geometry)
        : display(display), gc(xcb_generate_id(display.Connection())), depth(geometry.depth),
          littleEndian(display.LittleEndianImages()), image(display)
    {
        xcb_create_gc(display.Connection(), gc, window, 0, nullptr);
        watch.window = window;
        watch.width = geometry.width;
        watch.height = geometry.height;
        display.Watch(&watch);
    }

    ~Target()
    {
        display.Unwatch(&watch);
        xcb_free_gc(display.Connection(), gc);
        xcb_flush(display.Connection());
    }

    static Target* Attach(xcb_window_t window);
    // False once the window has gone.
    bool Update(const PicturePlanes* picture, bool fresh);
    bool Draw(const PicturePlanes& picture, const WindowWatch& seen);

    CXcbDisplay& display;
    const xcb_gcontext_t gc;
    const uint8_t depth;
    const bool littleEndian;
    WindowWatch watch;
    CXcbImage image;
    CPictureScaler scaler;
    // A frame not drawn yet, and window area lost since the last drawing.
    bool pending = false;
    bool damaged = false;
};

// One round trip tells whether the handle is a window we can draw into; only then are its
// events asked for (a second one), so that a refused window is left as it was.
CWindowPainter::Target* CWindowPainter::Target::Attach(xcb_window_t window)
{
    CXcbDisplay* display = CXcbDisplay::Shared();
    if (!display)
        return nullptr;
    xcb_connection_t* connection = display->Connection();
    xcb_get_window_attributes_cookie_t attributesAsked = xcb_get_window_attributes(connection, window);
    xcb_get_geometry_cookie_t geometryAsked = xcb_get_geometry(connection, window);
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, attributesAsked, nullptr));
    Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryAsked, nullptr));
    if (!attributes || !geometry || !Drawable(*display, *attributes, *geometry))
        return nullptr;
    const uint32_t events = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    Reply<xcb_generic_error_t> refused(
        xcb_request_check(connection, xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &events)));
    return refused ? nullptr : new (std::nothrow) Target(*display, window, *geometry);
}

bool CWindowPainter::Target::Update(const PicturePlanes* picture, bool fresh)
{
    pending |= fresh;
    WindowWatch seen = display.Look(&watch);
    if (seen.gone)
        return false;
    damaged |= seen.exposed;
    bool resized = seen.width != image.Width() || seen.height != image.Height();
    if (picture && !seen.busy && (pending || damaged || resized) && Draw(*picture, seen))
        pending = damaged = false;
    return true;
}

// A lost area alone is drawn again from the pixels already scaled.
bool CWindowPainter::Target::Draw(const PicturePlanes& picture, const WindowWatch& seen)
{
    bool rescale = pending || seen.width != image.Width() || seen.height != image.Height();
    if (rescale && (!image.Resize(seen.width, seen.height) ||
                    !scaler.Scale(picture, image.Pixels(), image.Stride(), seen.width, seen.height, littleEndian)))
        return false;
    uint32_t segment = image.Put(watch.window, gc, depth);
    if (segment)
        display.MarkBusy(&watch, segment);
    return true;
}

CWindowPainter::CWindowPainter() = default;

CWindowPainter::~CWindowPainter() = default;

// A handle is tried once: a refused one is not asked about again until the handle changes.
void CWindowPainter::Update(HWND newWindow, const PicturePlanes* picture, bool fresh)
{
    if (newWindow != window) {
        target.reset();
        window = newWindow;
        uintptr_t id = reinterpret_cast<uintptr_t>(window);
        if (id != 0 && id <= UINT32_MAX)
            target.reset(Target::Attach(static_cast<xcb_window_t>(id)));
    }
    if (target && !target->Update(picture, fresh))
        target.reset();
}
