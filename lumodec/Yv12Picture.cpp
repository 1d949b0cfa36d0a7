#include "Yv12Picture.h"

#include <new>

size_t CYv12Picture::SizeFor(int width, int height)
{
    if (width < 2 || height < 2 || width > kMaxSide || height > kMaxSide)
        return 0;
    size_t luma = static_cast<size_t>(width) * height;
    return luma + 2 * (static_cast<size_t>(width / 2) * (height / 2));
}

bool CYv12Picture::Resize(int newWidth, int newHeight)
{
    size_t needed = SizeFor(newWidth, newHeight);
    if (needed == 0)
        return false;
    if (needed > capacity) {
        bytes.reset(new (std::nothrow) unsigned char[needed]);
        capacity = bytes ? needed : 0;
        if (!bytes)
            return false;
    }
    width = newWidth;
    height = newHeight;
    return true;
}
