#pragma once

#include "MediaProducer.h"

#include <memory>

class CH264Encoder;
class CRtpPacketizer;
class CTestPicture;

// Draws, encodes and packs one picture a step: the test scene with the time of day (live) or
// the stream second (recorded), through libx264, into RTP packets whose timestamp follows the
// stream's own time.
class CVideoProducer : public CMediaProducer {
public:
    CVideoProducer(const StreamFormat& format, uint32_t seed);
    ~CVideoProducer() override;
    CVideoProducer(const CVideoProducer&) = delete;
    CVideoProducer& operator=(const CVideoProducer&) = delete;

    bool Open(std::string& error) override;
    bool Produce(const FrameOrder& order, CMediaChannel& channel) override;
    int PicturesPerStep() const override { return 1; }
    Clock::duration StepInterval(double speed) const override { return format.FrameInterval(speed); }

private:
    void DrawOverlay(int64_t index);

    const StreamFormat format;
    const uint32_t timestampBase;
    std::unique_ptr<CTestPicture> picture;
    std::unique_ptr<CH264Encoder> encoder;
    std::unique_ptr<CRtpPacketizer> packetizer;
};
