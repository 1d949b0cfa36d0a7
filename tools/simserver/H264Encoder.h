#pragma once

#include "YuvImage.h"

#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// H.264 through libavcodec's libx264 encoder, set up for live streaming: baseline profile,
// no B frames, zero latency (one picture in, its access unit out), a key frame at least every
// second, and SPS/PPS in the stream before every key frame (no global header), so that a
// client may start at any key frame.
class CH264Encoder {
public:
    CH264Encoder() = default;
    ~CH264Encoder();
    CH264Encoder(const CH264Encoder&) = delete;
    CH264Encoder& operator=(const CH264Encoder&) = delete;

    // Whether libavcodec has the encoder at all.
    static bool Available();
    // False with a reason in error.
    bool Open(int width, int height, int fps, std::string& error);
    // Encodes one picture into out as Annex B bytes; forceKey asks for a key frame (after a
    // seek or a pause). False when the encoder fails.
    bool Encode(const YuvImage& image, bool forceKey, std::vector<uint8_t>& out);

private:
    bool Drain(std::vector<uint8_t>& out);

    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int64_t nextPts = 0;
};
