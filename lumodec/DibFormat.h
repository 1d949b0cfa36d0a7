#pragma once

#include "platform/platform.h"

// The layout of every device-independent bitmap the Windows painter and its tests pass to GDI:
// 32-bit pixels 0x00RRGGBB (bytes B, G, R, 0: CPictureScaler's little-endian output), rows from
// the top, width * 4 bytes each.
inline BITMAPINFO DibFormat(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
