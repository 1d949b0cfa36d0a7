#include "Yv12Picture.h"

#include <cstring>
#include <new>

namespace {

void CopyPlane(unsigned char* out, int width, int height, const unsigned char* in, int stride)
{
    // Rows without padding (widths that are multiples of 64 mostly have none): one copy.
    if (stride == width) {
        memcpy(out, in, static_cast<size_t>(width) * height);
        return;
    }
    for (int row = 0; row < height; ++row)
        memcpy(out + static_cast<size_t>(row) * width, in + static_cast<ptrdiff_t>(row) * stride, width);
}

} // namespace

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

// YV12 puts V before U.
bool CYv12Picture::CopyFrom(const PicturePlanes& picture)
{
    if (!Resize(picture.width, picture.height))
        return false;
    int chromaWidth = width / 2;
    int chromaHeight = height / 2;
    CopyPlane(Y(), width, height, picture.plane[PicturePlanes::kY], picture.stride[PicturePlanes::kY]);
    CopyPlane(V(), chromaWidth, chromaHeight, picture.plane[PicturePlanes::kV], picture.stride[PicturePlanes::kV]);
    CopyPlane(U(), chromaWidth, chromaHeight, picture.plane[PicturePlanes::kU], picture.stride[PicturePlanes::kU]);
    return true;
}
