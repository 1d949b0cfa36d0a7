#pragma once

#include "streamclient.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A green top-level window of the test's own for the stand-in to draw into, at the screen's
// top left, and the pixels it shows: an X window on Linux (TestWindowXcb.cpp), a window of the
// test's thread on Windows (TestWindowWin32.cpp), which is served (painted) whenever the test
// looks at it or changes it.
class CTestWindow {
public:
    // False, with the reason, where no window can be made (no display).
    static bool CanOpen(std::string& why);

    // The desktop, where it belongs to another process (Windows); null where every window of the
    // display is the test's to draw into (X).
    static std::unique_ptr<CTestWindow> OfAnotherProcess();

    CTestWindow(int width, int height);
    ~CTestWindow();
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    HWND Handle() const;
    void Resize(int width, int height);
    // Hidden and shown again, so that its pixels are lost.
    void HideAndShow();
    // Filled with its background by its own painting, which the window system does not report
    // (as a host's WM_PAINT that comes and goes between two looks of the stand-in).
    void PaintOver();
    // What its owner does once its painting erased the window: on Windows from WM_PAINT, as a
    // host would. X reports exposures to the stand-in itself: there it is never called.
    void OnPaint(std::function<void()> painted);
    void Destroy();
    // The width x height pixels from (left, top), row by row, as 0x00RRGGBB; empty when
    // unreadable.
    std::vector<uint32_t> Pixels(int width, int height, int left = 0, int top = 0);

private:
    CTestWindow();

    struct Native;
    std::unique_ptr<Native> native;
};
