#include "DemoWindow.h"

#include <cstdint>
#include <xcb/xcb.h>

// The window and the demo's connection to the X server (DISPLAY), one per window. The library
// draws into it over a connection of its own.
struct CDemoWindow::Shown {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
};

CDemoWindow::CDemoWindow(const std::string& title, int x, int y, int width, int height) : shown(new Shown)
{
    shown->connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(shown->connection))
        return;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(shown->connection)).data;
    shown->window = xcb_generate_id(shown->connection);
    const uint32_t black = screen->black_pixel;
    xcb_create_window(shown->connection, XCB_COPY_FROM_PARENT, shown->window, screen->root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y),
                      static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, &black);
    xcb_change_property(shown->connection, XCB_PROP_MODE_REPLACE, shown->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(title.size()), title.data());
    xcb_map_window(shown->connection, shown->window);
    xcb_flush(shown->connection);
}

CDemoWindow::~CDemoWindow()
{
    if (shown->window)
        xcb_destroy_window(shown->connection, shown->window);
    xcb_disconnect(shown->connection);
}

HWND CDemoWindow::Handle() const
{
    return shown->window ? reinterpret_cast<HWND>(static_cast<uintptr_t>(shown->window)) : nullptr;
}
