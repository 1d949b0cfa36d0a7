#include "TestWindow.h"

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

const uint32_t kBackground = 0x00ff00;

} // namespace

// A connection of the window's own to the X server named by DISPLAY.
struct CTestWindow::Native {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
};

bool CTestWindow::CanOpen(std::string& why)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool connected = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    why = "no X display";
    return connected;
}

std::unique_ptr<CTestWindow> CTestWindow::OfAnotherProcess()
{
    return nullptr;
}

CTestWindow::CTestWindow(int width, int height) : native(new Native)
{
    native->connection = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(native->connection)).data;
    native->window = xcb_generate_id(native->connection);
    xcb_create_window(native->connection, XCB_COPY_FROM_PARENT, native->window, screen->root, 0, 0,
                      static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, &kBackground);
    xcb_map_window(native->connection, native->window);
    xcb_flush(native->connection);
}

CTestWindow::~CTestWindow()
{
    xcb_disconnect(native->connection);
}

HWND CTestWindow::Handle() const
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(native->window));
}

void CTestWindow::Resize(int width, int height)
{
    const uint32_t size[] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    xcb_configure_window(native->connection, native->window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(native->connection);
}

void CTestWindow::HideAndShow()
{
    xcb_unmap_window(native->connection, native->window);
    xcb_map_window(native->connection, native->window);
    xcb_flush(native->connection);
}

void CTestWindow::PaintOver()
{
    xcb_clear_area(native->connection, 0, native->window, 0, 0, 0, 0);
    xcb_flush(native->connection);
}

void CTestWindow::OnPaint(std::function<void()>) {}

void CTestWindow::Destroy()
{
    xcb_destroy_window(native->connection, native->window);
    xcb_flush(native->connection);
}

std::vector<uint32_t> CTestWindow::Pixels(int width, int height, int left, int top)
{
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        native->connection,
        xcb_get_image(native->connection, XCB_IMAGE_FORMAT_Z_PIXMAP, native->window, static_cast<int16_t>(left),
                      static_cast<int16_t>(top), static_cast<uint16_t>(width),
                      static_cast<uint16_t>(height), ~0u),
        nullptr);
    std::vector<uint32_t> pixels;
    if (image && xcb_get_image_data_length(image) >= width * height * 4) {
        pixels.resize(static_cast<size_t>(width) * height);
        memcpy(pixels.data(), xcb_get_image_data(image), pixels.size() * 4);
    }
    free(image);
    return pixels;
}
