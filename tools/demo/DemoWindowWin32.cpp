#include "DemoWindow.h"

#include <windows.h>

#include <future>
#include <thread>
#include <utility>

namespace {

const char kClassName[] = "StreamClientDemoWindow";

// Closing the window ends its thread; the library then finds the window gone and draws no more.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWindowClass()
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

// Makes the window, with a client area of the size asked for, hands its handle over, and serves
// its messages until it is destroyed.
void ServeWindow(std::string title, RECT client, std::promise<HWND> made)
{
    RECT frame = client;
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = RegisterWindowClass()
                      ? CreateWindowExA(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, client.left,
                                        client.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr)
                      : nullptr;
    made.set_value(window);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

// The window lives on a thread of its own, which serves it (painting, moving, closing) while the
// demo's main thread drives the players. The library draws into it from its own threads.
struct CDemoWindow::Shown {
    std::thread thread;
    HWND window = nullptr;
};

CDemoWindow::CDemoWindow(const std::string& title, int x, int y, int width, int height) : shown(new Shown)
{
    std::promise<HWND> made;
    std::future<HWND> handle = made.get_future();
    shown->thread = std::thread(ServeWindow, title, RECT{x, y, x + width, y + height}, std::move(made));
    shown->window = handle.get();
}

CDemoWindow::~CDemoWindow()
{
    if (shown->window)
        PostMessageA(shown->window, WM_CLOSE, 0, 0);
    shown->thread.join();
}

HWND CDemoWindow::Handle() const
{
    return shown->window;
}
