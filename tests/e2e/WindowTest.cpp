// The stand-in draws the simulator's live stream into X windows the test makes: the scene's
// colour bars must show where the picture, scaled to the window's size, puts them. Skipped
// where no X display is reachable.
#include "SimulatorFixture.h"
#include "fakes/WaitUntil.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

// The scene's bars are 80 units wide; the circling ball never reaches bars 0, 1, 6 and 7, which
// are white, yellow, blue and black. Each is looked at 20 units in from either edge, on rows
// between the grid lines (every 40 units) and below the clock, and named by which of red, green
// and blue are bright.
const int kBarWidth = 80;
const int kLookedAtBars[] = {0, 1, 6, 7};
const int kRows[] = {60, 140, 220, 300, 340};
const std::string kBarsSeen = "WWYYBBKK WWYYBBKK WWYYBBKK WWYYBBKK WWYYBBKK ";
// Green: none of the bars looked at, so that an undrawn window fails.
const uint32_t kBackground = 0x00ff00;

char Named(uint32_t pixel)
{
    int bright = ((pixel >> 16 & 0xff) > 120) << 2 | ((pixel >> 8 & 0xff) > 120) << 1 | ((pixel & 0xff) > 120);
    return "KB????YW"[bright];
}

HWND Handle(xcb_window_t window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

class WindowedSimulator : public SimulatorFixture {
protected:
    void SetUp() override
    {
        SimulatorFixture::SetUp();
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection))
            GTEST_SKIP() << "no X display";
    }

    void TearDown() override
    {
        SimulatorFixture::TearDown();
        xcb_disconnect(connection);
    }

    xcb_window_t CreateWindow(int width, int height)
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, &kBackground);
        xcb_map_window(connection, window);
        xcb_flush(connection);
        return window;
    }

    void Resize(xcb_window_t window, int width, int height)
    {
        const uint32_t size[] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
        xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        xcb_flush(connection);
    }

    // The bars as the window shows them, row by row.
    std::string Shown(xcb_window_t window, int width, int height)
    {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height), ~0u),
            nullptr);
        if (!image)
            return "no image";
        std::string shown;
        for (int row : kRows) {
            for (int bar : kLookedAtBars) {
                for (int inset : {20, kBarWidth - 20}) {
                    int x = (bar * kBarWidth + inset) * width / kStreamWidth;
                    uint32_t pixel;
                    memcpy(&pixel, xcb_get_image_data(image) + (row * height / kStreamHeight * width + x) * 4, 4);
                    shown += Named(pixel);
                }
            }
            shown += ' ';
        }
        free(image);
        return shown;
    }

    // What the window shows once it shows the bars, or after 15 s.
    std::string Seen(xcb_window_t window, int width, int height)
    {
        std::string shown;
        WaitUntil([&] {
            shown = Shown(window, width, height);
            if (shown == kBarsSeen)
                return true;
            Sleep(100);
            return false;
        }, 15000);
        return shown;
    }

    xcb_connection_t* connection = nullptr;
};

} // namespace

TEST_F(WindowedSimulator, LiveStreamIsDrawnScaledToTheWindowItFollows)
{
    xcb_window_t first = CreateWindow(400, 300);
    int id = Open("/live/av_stream", 1, Handle(first));
    EXPECT_EQ(kBarsSeen, Seen(first, 400, 300));

    // Paused, the last picture is drawn again at the window's new size and where it was lost.
    ASSERT_EQ(1, StreamClient_Pause(id));
    Resize(first, 240, 400);
    EXPECT_EQ(kBarsSeen, Seen(first, 240, 400)) << "resized";
    xcb_unmap_window(connection, first);
    xcb_map_window(connection, first);
    xcb_flush(connection);
    EXPECT_EQ(kBarsSeen, Seen(first, 240, 400)) << "exposed";
    ASSERT_EQ(1, StreamClient_Resume(id));

    xcb_window_t second = CreateWindow(320, 200);
    ASSERT_EQ(0, StreamClient_ResetWndHandle(id, Handle(second)));
    EXPECT_EQ(kBarsSeen, Seen(second, 320, 200)) << "moved to another window";

    // Its window destroyed, the stream plays on: frames still reach the display callback.
    xcb_destroy_window(connection, second);
    xcb_flush(connection);
    EXPECT_EQ(54u + kStreamWidth * 3 * kStreamHeight, Snapshot(id, "window.bmp", 0).size());
}
