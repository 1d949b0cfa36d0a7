#pragma once

#include "streamclient.h"

#include <memory>
#include <string>

// A window of the demo's own for one stream (--show): a Win32 window on Windows
// (DemoWindowWin32.cpp), an X window where the demo is built with XCB (DemoWindowXcb.cpp), none
// elsewhere (DemoWindowNone.cpp).
class CDemoWindow {
public:
    CDemoWindow(const std::string& title, int x, int y, int width, int height);
    ~CDemoWindow();
    CDemoWindow(const CDemoWindow&) = delete;
    CDemoWindow& operator=(const CDemoWindow&) = delete;

    // The handle to give the library; null when no window could be opened.
    HWND Handle() const;

private:
    struct Shown;
    std::unique_ptr<Shown> shown;
};
