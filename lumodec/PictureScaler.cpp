#include "PictureScaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

CPictureScaler::~CPictureScaler()
{
    sws_freeContext(context);
}

bool CPictureScaler::Scale(const CYv12Picture& picture, uint8_t* out, int outStride, int outWidth, int outHeight,
                           bool littleEndian)
{
    // An odd last row or column has no chroma of its own in YV12: left out rather than read past
    // the planes.
    const int width = picture.Width() & ~1;
    const int height = picture.Height() & ~1;
    // 100 streams may be drawing at once: the cheapest filter that still looks smooth.
    context = sws_getCachedContext(context, width, height, AV_PIX_FMT_YUV420P, outWidth, outHeight,
                                   littleEndian ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_0RGB, SWS_FAST_BILINEAR, nullptr,
                                   nullptr, nullptr);
    if (!context)
        return false;
    const uint8_t* planes[3] = {picture.Data(), picture.U(), picture.V()};
    const int strides[3] = {picture.Width(), picture.Width() / 2, picture.Width() / 2};
    uint8_t* outPlanes[1] = {out};
    const int outStrides[1] = {outStride};
    return sws_scale(context, planes, strides, 0, height, outPlanes, outStrides) == outHeight;
}
