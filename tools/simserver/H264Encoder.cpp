#include "H264Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace {

const char kEncoderName[] = "libx264";

} // namespace

CH264Encoder::~CH264Encoder()
{
    avcodec_free_context(&context);
    av_frame_free(&frame);
    av_packet_free(&packet);
}

bool CH264Encoder::Available()
{
    return avcodec_find_encoder_by_name(kEncoderName) != nullptr;
}

bool CH264Encoder::Open(int width, int height, int fps, std::string& error)
{
    // libx264 announces itself on every open; with a hundred sessions that is noise.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name(kEncoderName);
    context = codec ? avcodec_alloc_context3(codec) : nullptr;
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (!context || !frame || !packet) {
        error = "no libx264 encoder in libavcodec";
        return false;
    }
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, fps};
    context->framerate = AVRational{fps, 1};
    context->gop_size = fps;
    context->max_b_frames = 0;
    context->profile = FF_PROFILE_H264_BASELINE;
    // Many sessions share two cores: one encoder thread each keeps the cost per stream honest.
    context->thread_count = 1;
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    av_opt_set(context->priv_data, "profile", "baseline", 0);
    // A forced key frame is an IDR, where a decoder may start afresh.
    av_opt_set_int(context->priv_data, "forced-idr", 1, 0);
    if (avcodec_open2(context, codec, nullptr) < 0) {
        error = "libx264 refused the stream settings";
        return false;
    }
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    return true;
}

bool CH264Encoder::Encode(const YuvImage& image, bool forceKey, std::vector<uint8_t>& out)
{
    out.clear();
    // The frame borrows the image's planes: avcodec_send_frame copies what it keeps.
    frame->data[0] = const_cast<uint8_t*>(image.y.data());
    frame->data[1] = const_cast<uint8_t*>(image.u.data());
    frame->data[2] = const_cast<uint8_t*>(image.v.data());
    frame->linesize[0] = image.width;
    frame->linesize[1] = image.ChromaWidth();
    frame->linesize[2] = image.ChromaWidth();
    frame->pts = nextPts++;
    frame->pict_type = forceKey ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(context, frame) < 0)
        return false;
    return Drain(out);
}

bool CH264Encoder::Drain(std::vector<uint8_t>& out)
{
    for (;;) {
        int result = avcodec_receive_packet(context, packet);
        if (result == AVERROR(EAGAIN))
            return true;
        if (result < 0)
            return false;
        out.insert(out.end(), packet->data, packet->data + packet->size);
        av_packet_unref(packet);
    }
}
