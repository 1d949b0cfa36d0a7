#include "WindowSample.h"

#include "DibFormat.h"

#include <algorithm>

namespace {

// Read pixels leave the top byte 0.
const uint32_t kNotShown = 0xff000000;

} // namespace

CWindowSample::~CWindowSample()
{
    if (replaced)
        SelectObject(dc, replaced);
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
}

bool CWindowSample::Open()
{
    BITMAPINFO info = DibFormat(kColumns, kRows);
    void* memory = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0) : nullptr;
    if (!bitmap)
        return false;
    replaced = SelectObject(dc, bitmap);
    // Each point is a pixel of the window, not a mean over its neighbours.
    SetStretchBltMode(dc, COLORONCOLOR);
    bits = static_cast<uint32_t*>(memory);
    return true;
}

CWindowSample::Grid CWindowSample::Read(HDC window, int width, int height)
{
    Grid grid;
    grid.fill(kNotShown);
    if (!bits)
        return grid;
    std::copy(grid.begin(), grid.end(), bits);
    StretchBlt(dc, 0, 0, kColumns, kRows, window, 0, 0, width, height, SRCCOPY);
    // The copy may still be queued in GDI's batch.
    GdiFlush();
    std::copy(bits, bits + grid.size(), grid.begin());
    return grid;
}
