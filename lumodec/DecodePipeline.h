#pragma once

#include "BlockQueue.h"
#include "DecodedFrame.h"
#include "H264Depacketizer.h"
#include "RtpPacketReader.h"
#include "VideoDecoder.h"

#include <memory>

// What the display thread does with a stream's input: blocks into RTP packets, packets into
// access units, access units into frames. Used by one thread only.
class CDecodePipeline {
public:
    CDecodePipeline(bool framed, size_t maxAccessUnit) : reader(framed), depacketizer(maxAccessUnit) {}

    bool Open() { return decoder.Open(); }
    // Hands the next block of input over; it is kept until it has been read through.
    void Feed(std::unique_ptr<CBlockQueue::Block> block);
    // The next frame from the input fed so far; false when that input is used up.
    bool NextFrame(DecodedFrame* frame);
    // Drops all input and waits for the next key frame.
    void Reset();

private:
    bool NextAccessUnit(H264AccessUnit* unit);

    CRtpPacketReader reader;
    CH264Depacketizer depacketizer;
    CVideoDecoder decoder;
    std::unique_ptr<CBlockQueue::Block> block;
};
