#include "VideoDecoder.h"

#include <new>

// Built without a decoder: every access unit comes back at once as a frame without a picture.
struct CVideoDecoder::State {
    uint32_t timestamp = 0;
    bool pending = false;
};

// Nothing is decoded, so no frame ever holds a picture to give back.
void DecoderPictureFree::operator()(AVFrame*) const {}

CVideoDecoder::CVideoDecoder() = default;

CVideoDecoder::~CVideoDecoder() = default;

bool CVideoDecoder::Open()
{
    state.reset(new (std::nothrow) State);
    return state != nullptr;
}

bool CVideoDecoder::Send(const unsigned char*, size_t, uint32_t timestamp)
{
    if (!state)
        return false;
    state->timestamp = timestamp;
    state->pending = true;
    return true;
}

bool CVideoDecoder::Receive(DecodedFrame* frame)
{
    if (!state || !state->pending)
        return false;
    state->pending = false;
    frame->timestamp = state->timestamp;
    frame->hasPicture = false;
    return true;
}

void CVideoDecoder::Reset()
{
    if (state)
        state->pending = false;
}
