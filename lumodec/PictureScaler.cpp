#include "PictureScaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

CPictureScaler::~CPictureScaler()
{
    sws_freeContext(context);
}

bool CPictureScaler::Scale(const PicturePlanes& picture, uint8_t* out, int outStride, int outWidth, int outHeight,
                           bool littleEndian)
{
    // An odd last row or column is left out, as the YV12 copy for the display callback leaves it
    // out: the window shows what a snapshot shows.
    const int width = picture.width & ~1;
    const int height = picture.height & ~1;
    // 100 streams may be drawing at once: the cheapest filter that still looks smooth.
    context = sws_getCachedContext(context, width, height, AV_PIX_FMT_YUV420P, outWidth, outHeight,
                                   littleEndian ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_0RGB, SWS_FAST_BILINEAR, nullptr,
                                   nullptr, nullptr);
    if (!context)
        return false;
    uint8_t* outPlanes[1] = {out};
    const int outStrides[1] = {outStride};
    return sws_scale(context, picture.plane, picture.stride, 0, height, outPlanes, outStrides) == outHeight;
}
