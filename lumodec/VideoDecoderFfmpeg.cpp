#include "VideoDecoder.h"

#include <climits>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

struct CVideoDecoder::State {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    ~State()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

namespace {

void CopyPlane(unsigned char* out, int width, int height, const uint8_t* in, int stride)
{
    // Rows without padding (widths that are multiples of 64 mostly have none): one copy.
    if (stride == width) {
        memcpy(out, in, static_cast<size_t>(width) * height);
        return;
    }
    for (int row = 0; row < height; ++row)
        memcpy(out + static_cast<size_t>(row) * width, in + static_cast<ptrdiff_t>(row) * stride, width);
}

// libavcodec's planes are Y, U, V; YV12 puts V before U.
bool CopyToYv12(const AVFrame& in, CYv12Picture& out)
{
    if ((in.format != AV_PIX_FMT_YUV420P && in.format != AV_PIX_FMT_YUVJ420P) || !out.Resize(in.width, in.height))
        return false;
    int chromaWidth = in.width / 2;
    int chromaHeight = in.height / 2;
    CopyPlane(out.Y(), in.width, in.height, in.data[0], in.linesize[0]);
    CopyPlane(out.V(), chromaWidth, chromaHeight, in.data[2], in.linesize[2]);
    CopyPlane(out.U(), chromaWidth, chromaHeight, in.data[1], in.linesize[1]);
    return true;
}

} // namespace

CVideoDecoder::CVideoDecoder() = default;

CVideoDecoder::~CVideoDecoder() = default;

bool CVideoDecoder::Open()
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    std::unique_ptr<State> opened(new (std::nothrow) State);
    if (!codec || !opened)
        return false;
    opened->context = avcodec_alloc_context3(codec);
    opened->packet = av_packet_alloc();
    opened->frame = av_frame_alloc();
    if (!opened->context || !opened->packet || !opened->frame)
        return false;
    // One thread per stream: the display thread decodes, and a host may run many streams.
    opened->context->thread_count = 1;
    if (avcodec_open2(opened->context, codec, nullptr) < 0)
        return false;
    state = std::move(opened);
    return true;
}

bool CVideoDecoder::Send(const unsigned char* data, size_t size, uint32_t timestamp)
{
    if (!state || size > INT_MAX || av_new_packet(state->packet, static_cast<int>(size)) < 0)
        return false;
    memcpy(state->packet->data, data, size);
    state->packet->pts = timestamp;
    int result = avcodec_send_packet(state->context, state->packet);
    av_packet_unref(state->packet);
    return result == 0;
}

// A picture in a layout other than 4:2:0 is still shown (timed), without a picture to hand out.
bool CVideoDecoder::Receive(DecodedFrame* frame)
{
    if (!state || avcodec_receive_frame(state->context, state->frame) < 0)
        return false;
    frame->timestamp = static_cast<uint32_t>(state->frame->pts);
    frame->hasPicture = CopyToYv12(*state->frame, frame->picture);
    av_frame_unref(state->frame);
    return true;
}

void CVideoDecoder::Reset()
{
    if (state)
        avcodec_flush_buffers(state->context);
}
