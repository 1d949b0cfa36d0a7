#pragma once

// A planar 4:2:0 picture where its producer keeps it (the decoder's own buffers): the Y plane
// (width x height), then U and V (each (width+1)/2 x (height+1)/2), each plane's rows stride
// bytes apart. Owns nothing.
struct PicturePlanes {
    enum { kY, kU, kV, kCount };

    int width = 0;
    int height = 0;
    const unsigned char* plane[kCount] = {};
    int stride[kCount] = {};
};
