#pragma once

#include "MediaProducer.h"
#include "RtpRecording.h"

// Sends a recorded RTP stream (CRtpRecording) one frame a step at the stream's frame rate,
// looped, so that a bench gives the client and another receiver the very same packets at the
// same pace, without the cost of encoding. Sequence numbers, SSRC and timestamps are the
// session's own: each loop continues the timestamps where the last ended. The live stream plays
// as from a camera that has been running all along: where a session joins depends on the wall
// clock, and it begins wherever the recording is then, key frame or not.
class CReplayProducer : public CMediaProducer {
public:
    CReplayProducer(const std::string& path, const StreamFormat& format, uint32_t seed);

    bool Open(std::string& error) override { return recording.Load(path, error); }
    bool Produce(const FrameOrder& order, CMediaChannel& channel) override;
    int PicturesPerStep() const override { return 1; }
    Clock::duration StepInterval(double speed) const override { return format.FrameInterval(speed); }

    // The packets of the stream's picture number index, as this session sends them.
    std::vector<RtpPacket> FramePackets(int64_t index);

private:
    const std::string path;
    const StreamFormat format;
    const uint32_t ssrc;
    const uint32_t timestampBase;
    const int64_t phase; // where the live stream stood when the session began
    uint16_t sequence;
    CRtpRecording recording;
};
