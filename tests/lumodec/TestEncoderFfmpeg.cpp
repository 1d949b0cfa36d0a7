#include "TestEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <cstring>

namespace {

// Owns what encoding needs and frees it on every way out.
struct Encoder {
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Encoder()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }
};

bool Open(Encoder& encoder, const TestVideoSpec& clip)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec)
        return false;
    encoder.context = avcodec_alloc_context3(codec);
    encoder.frame = av_frame_alloc();
    encoder.packet = av_packet_alloc();
    if (!encoder.context || !encoder.frame || !encoder.packet)
        return false;
    AVCodecContext* c = encoder.context;
    c->width = clip.width;
    c->height = clip.height;
    c->time_base = AVRational{1, 25};
    c->framerate = AVRational{25, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = clip.keyInterval;
    c->max_b_frames = 0;
    c->thread_count = 1;
    c->bit_rate = clip.bitRate;
    av_opt_set(c->priv_data, "preset", "ultrafast", 0);
    av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    encoder.frame->format = c->pix_fmt;
    encoder.frame->width = c->width;
    encoder.frame->height = c->height;
    return avcodec_open2(c, codec, nullptr) >= 0 && av_frame_get_buffer(encoder.frame, 0) >= 0;
}

void FillPlane(AVFrame* frame, int plane, int width, int height, int value, int index, bool moving)
{
    for (int row = 0; row < height; ++row) {
        unsigned char* line = frame->data[plane] + row * frame->linesize[plane];
        for (int x = 0; x < width; ++x)
            line[x] = static_cast<unsigned char>(moving ? (x + row + 4 * index) * (plane + 1) : value);
    }
}

bool Drain(Encoder& encoder, std::vector<Bytes>* units)
{
    for (;;) {
        int result = avcodec_receive_packet(encoder.context, encoder.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        units->emplace_back(encoder.packet->data, encoder.packet->data + encoder.packet->size);
        av_packet_unref(encoder.packet);
    }
}

} // namespace

bool CTestEncoder::Encode(const TestVideoSpec& clip, std::vector<Bytes>* units)
{
    units->clear();
    // The encoder's statistics, and the decoder's complaints about damage the tests cause on purpose.
    av_log_set_level(AV_LOG_FATAL);
    Encoder encoder;
    if (!Open(encoder, clip))
        return false;
    for (int i = 0; i < clip.frames; ++i) {
        if (av_frame_make_writable(encoder.frame) < 0)
            return false;
        FillPlane(encoder.frame, 0, clip.width, clip.height, clip.y, i, clip.moving);
        FillPlane(encoder.frame, 1, clip.width / 2, clip.height / 2, clip.u, i, clip.moving);
        FillPlane(encoder.frame, 2, clip.width / 2, clip.height / 2, clip.v, i, clip.moving);
        encoder.frame->pts = i;
        if (avcodec_send_frame(encoder.context, encoder.frame) < 0 || !Drain(encoder, units))
            return false;
    }
    return avcodec_send_frame(encoder.context, nullptr) >= 0 && Drain(encoder, units) &&
           static_cast<int>(units->size()) == clip.frames;
}
