#include "VideoDecoder.h"

#include "Yv12Picture.h"

#include <climits>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

struct CVideoDecoder::State {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;

    ~State()
    {
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

void DecoderPictureFree::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

namespace {

// The decoder's complaints about damaged input (a slice whose parameter sets were lost, a frame
// without slices) are expected on a network stream and handled: the stream waits for the next
// key frame. They are demoted from errors to verbose lines of this decoder's context alone, so
// that they stay out of the host's stderr unless the host asks FFmpeg for its verbose output.
// The process's log callback and level belong to the host, which may use FFmpeg itself.
const int kLogLevelOffset = AV_LOG_VERBOSE - AV_LOG_ERROR;

// Only 4:2:0 pictures, and only of sizes a YV12 copy could take, are handed out.
bool TakePlanes(const AVFrame& in, PicturePlanes& out)
{
    if ((in.format != AV_PIX_FMT_YUV420P && in.format != AV_PIX_FMT_YUVJ420P) ||
        CYv12Picture::SizeFor(in.width, in.height) == 0)
        return false;
    out.width = in.width;
    out.height = in.height;
    for (int i = 0; i < PicturePlanes::kCount; ++i) {
        // libavcodec's planes are Y, U, V too.
        out.plane[i] = in.data[i];
        out.stride[i] = in.linesize[i];
    }
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
    if (!opened->context || !opened->packet)
        return false;
    // One thread per stream: the display thread decodes, and a host may run many streams.
    opened->context->thread_count = 1;
    opened->context->log_level_offset = kLogLevelOffset;
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
// The frame's picture object is reused: what it held goes back to the decoder first.
bool CVideoDecoder::Receive(DecodedFrame* frame)
{
    if (!state)
        return false;
    if (!frame->reference)
        frame->reference.reset(av_frame_alloc());
    if (!frame->reference)
        return false;
    AVFrame* picture = frame->reference.get();
    av_frame_unref(picture);
    frame->hasPicture = false;
    if (avcodec_receive_frame(state->context, picture) < 0)
        return false;
    frame->timestamp = static_cast<uint32_t>(picture->pts);
    frame->hasPicture = TakePlanes(*picture, frame->planes);
    return true;
}

void CVideoDecoder::Reset()
{
    if (state)
        avcodec_flush_buffers(state->context);
}
