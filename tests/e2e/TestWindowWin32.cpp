#include "TestWindow.h"

#include "DibFormat.h"

#include <windows.h>

#include <utility>

namespace {

const wchar_t kClassName[] = L"StreamClientTestWindow";

// Paints as the window class does by default, then tells the owner (OnPaint).
LRESULT CALLBACK Serve(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefWindowProcW(window, message, wParam, lParam);
    auto* painted = reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && painted && *painted)
        (*painted)();
    return result;
}

// Its background brush erases what was drawn wherever the window paints itself.
bool RegisterWindowClass()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Serve;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered;
}

HWND Open(int width, int height)
{
    if (!RegisterWindowClass())
        return nullptr;
    return CreateWindowExW(WS_EX_TOPMOST, kClassName, L"test", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Serves what the window was sent, as the host's message loop would: its painting above all.
void ServeMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

} // namespace

struct CTestWindow::Native {
    HWND window = nullptr;
    // The test's own, destroyed with it.
    bool owned = true;
    std::function<void()> painted;
};

// Wine makes no window without a display to show it on.
bool CTestWindow::CanOpen(std::string& why)
{
    HWND window = Open(1, 1);
    why = "no window can be made (no display)";
    if (window)
        DestroyWindow(window);
    return window != nullptr;
}

// Wine's desktop belongs to its explorer process, Windows' to the system.
std::unique_ptr<CTestWindow> CTestWindow::OfAnotherProcess()
{
    std::unique_ptr<CTestWindow> desktop(new CTestWindow);
    desktop->native->window = GetDesktopWindow();
    desktop->native->owned = false;
    return desktop;
}

CTestWindow::CTestWindow() : native(new Native) {}

CTestWindow::CTestWindow(int width, int height) : native(new Native)
{
    native->window = Open(width, height);
    ServeMessages();
}

CTestWindow::~CTestWindow()
{
    Destroy();
}

HWND CTestWindow::Handle() const
{
    return native->window;
}

void CTestWindow::Resize(int width, int height)
{
    SetWindowPos(native->window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    ServeMessages();
}

void CTestWindow::HideAndShow()
{
    ShowWindow(native->window, SW_HIDE);
    ServeMessages();
    ShowWindow(native->window, SW_SHOW);
    ServeMessages();
}

void CTestWindow::PaintOver()
{
    HDC dc = GetDC(native->window);
    RECT client;
    GetClientRect(native->window, &client);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(GetClassLongPtrW(native->window, GCLP_HBRBACKGROUND)));
    ReleaseDC(native->window, dc);
    GdiFlush();
}

void CTestWindow::OnPaint(std::function<void()> painted)
{
    native->painted = std::move(painted);
    SetWindowLongPtrW(native->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&native->painted));
}

void CTestWindow::Destroy()
{
    if (native->window && native->owned)
        DestroyWindow(native->window);
    native->window = nullptr;
}

// Read through a DIB section of the same layout as the pixels returned.
std::vector<uint32_t> CTestWindow::Pixels(int width, int height, int left, int top)
{
    ServeMessages();
    std::vector<uint32_t> pixels;
    HDC windowDc = GetDC(native->window);
    HDC copyDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info = DibFormat(width, height);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(copyDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (windowDc && copyDc && copy) {
        HGDIOBJ before = SelectObject(copyDc, copy);
        if (BitBlt(copyDc, 0, 0, width, height, windowDc, left, top, SRCCOPY)) {
            const uint32_t* read = static_cast<const uint32_t*>(bits);
            pixels.assign(read, read + static_cast<size_t>(width) * height);
        }
        SelectObject(copyDc, before);
    }
    DeleteObject(copy);
    DeleteDC(copyDc);
    ReleaseDC(native->window, windowDc);
    for (uint32_t& pixel : pixels)
        pixel &= 0xffffff;
    return pixels;
}
