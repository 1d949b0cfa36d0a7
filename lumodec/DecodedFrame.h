#pragma once

#include "PicturePlanes.h"

#include <cstdint>
#include <memory>

struct AVFrame;

// Gives the decoder's picture back to the decoder (FFmpeg: av_frame_free).
struct DecoderPictureFree {
    void operator()(AVFrame* frame) const;
};

// A frame ready to be shown: its RTP timestamp and, when the build decodes, its picture. The
// picture stays in the decoder's buffer, held by reference, and is copied out only for whoever
// asks for one of its own (the display callback): most frames go to a window or nowhere.
struct DecodedFrame {
    uint32_t timestamp = 0;
    bool hasPicture = false;
    // Valid while hasPicture, as long as the frame holds its reference.
    PicturePlanes planes;
    std::unique_ptr<AVFrame, DecoderPictureFree> reference;
};
