#pragma once

#include "DecodedFrame.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Decodes H.264 access units into YV12 frames. Built with FFmpeg's libavcodec where it is found
// (VideoDecoderFfmpeg.cpp); elsewhere (VideoDecoderNone.cpp) it decodes nothing and gives every
// access unit back as a frame without a picture, so that the stream is still paced and timed.
class CVideoDecoder {
public:
    CVideoDecoder();
    ~CVideoDecoder();
    CVideoDecoder(const CVideoDecoder&) = delete;
    CVideoDecoder& operator=(const CVideoDecoder&) = delete;

    // False when the decoder cannot be set up.
    bool Open();
    // Hands one access unit over; false when it was refused. Receive every frame first.
    bool Send(const unsigned char* data, size_t size, uint32_t timestamp);
    // The next frame out of the decoder; false when none is ready.
    bool Receive(DecodedFrame* frame);
    // Drops what is inside, for a stream that starts again at a key frame.
    void Reset();

private:
    struct State;
    std::unique_ptr<State> state;
};
