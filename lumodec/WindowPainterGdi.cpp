#include "WindowPainter.h"

#include "DibFormat.h"
#include "PictureScaler.h"

#include <cstdint>
#include <new>
#include <utility>

// One window being drawn into, from the moment it proved ours to draw into until it is left or
// gone. The window belongs to the host's thread: its WM_PAINT is not ours to see (subclassing it
// from another thread is not safe), so each look tells from the outside whether it lost what was
// drawn: its client area changed size, its visible region grew (uncovered, shown, restored), or
// it has an update region (the host's painting is about to erase it). Painting that comes and
// goes between two looks is the host's to report (RefreshPlay from its WM_PAINT): reading the
// window's pixels back to find it would cost every stream a read from the screen per frame.
struct CWindowPainter::Target {
    explicit Target(HWND window)
        : window(window), visible(CreateRectRgn(0, 0, 0, 0)), scratch(CreateRectRgn(0, 0, 0, 0))
    {
    }

    ~Target()
    {
        DeleteObject(visible);
        DeleteObject(scratch);
    }

    static Target* Attach(HWND window);
    bool Open() { return visible && scratch; }
    // False once the window has gone.
    bool Update(const PicturePlanes* picture, bool fresh);
    void Look(HDC dc, int clientWidth, int clientHeight, const PicturePlanes* picture);
    bool VisibleRegionGrew(HDC dc);
    bool Draw(HDC dc, const PicturePlanes& picture, int clientWidth, int clientHeight);
    bool Resize(int newWidth, int newHeight);

    const HWND window;
    // The window's visible region (screen coordinates) when last looked at, and room for the next.
    HRGN visible;
    HRGN scratch;
    CPictureScaler scaler;
    // The picture scaled to the client area, as a top-down 32-bit DIB.
    std::unique_ptr<uint8_t[]> pixels;
    int width = 0;
    int height = 0;
    // A frame not drawn yet, and window area lost since the last drawing.
    bool pending = false;
    bool damaged = false;
};

// Only a window of this process: drawing into another program's window is not ours to do.
CWindowPainter::Target* CWindowPainter::Target::Attach(HWND window)
{
    DWORD process = 0;
    if (!GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
        return nullptr;
    std::unique_ptr<Target> target(new (std::nothrow) Target(window));
    return target && target->Open() ? target.release() : nullptr;
}

bool CWindowPainter::Target::Update(const PicturePlanes* picture, bool fresh)
{
    pending |= fresh;
    HDC dc = GetDC(window);
    if (!dc)
        return false;
    RECT client;
    bool exists = GetClientRect(window, &client) != 0;
    if (exists)
        Look(dc, client.right, client.bottom, picture);
    ReleaseDC(window, dc);
    return exists;
}

// A fresh frame is drawn at once; what the window lost is drawn again once the host has painted
// (no update region left), since the host's painting erases what came before it.
void CWindowPainter::Target::Look(HDC dc, int clientWidth, int clientHeight, const PicturePlanes* picture)
{
    bool hostPaints = GetUpdateRect(window, nullptr, FALSE) != 0;
    damaged |= VisibleRegionGrew(dc) || hostPaints;
    bool resized = clientWidth != width || clientHeight != height;
    if (!picture || clientWidth <= 0 || clientHeight <= 0 || !(pending || resized || (damaged && !hostPaints)) ||
        !Draw(dc, *picture, clientWidth, clientHeight))
        return;
    pending = false;
    damaged = hostPaints;
}

bool CWindowPainter::Target::VisibleRegionGrew(HDC dc)
{
    if (GetRandomRgn(dc, scratch, SYSRGN) != 1)
        return false;
    std::swap(visible, scratch);
    return CombineRgn(scratch, visible, scratch, RGN_DIFF) != NULLREGION;
}

// A lost area alone is drawn again from the pixels already scaled.
bool CWindowPainter::Target::Draw(HDC dc, const PicturePlanes& picture, int clientWidth, int clientHeight)
{
    bool rescale = pending || clientWidth != width || clientHeight != height;
    if (rescale && (!Resize(clientWidth, clientHeight) ||
                    !scaler.Scale(picture, pixels.get(), width * 4, width, height, true)))
        return false;
    BITMAPINFO info = DibFormat(width, height);
    return SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.get(), &info, DIB_RGB_COLORS) != 0;
}

bool CWindowPainter::Target::Resize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height && pixels)
        return true;
    pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(newWidth) * newHeight * 4]);
    width = pixels ? newWidth : 0;
    height = pixels ? newHeight : 0;
    return pixels != nullptr;
}

CWindowPainter::CWindowPainter() = default;

CWindowPainter::~CWindowPainter() = default;

// A handle is tried once: a refused one is not asked about again until the handle changes.
void CWindowPainter::Update(HWND newWindow, const PicturePlanes* picture, bool fresh)
{
    if (newWindow != window) {
        target.reset();
        window = newWindow;
        if (window)
            target.reset(Target::Attach(window));
    }
    if (target && !target->Update(picture, fresh))
        target.reset();
}
