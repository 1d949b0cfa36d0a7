#include "DemoWindow.h"

// Built without XCB: no window is opened.
struct CDemoWindow::Shown {
};

CDemoWindow::CDemoWindow(const std::string&, int, int, int, int) {}

CDemoWindow::~CDemoWindow() = default;

HWND CDemoWindow::Handle() const
{
    return nullptr;
}
