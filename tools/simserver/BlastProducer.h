#pragma once

#include "MediaProducer.h"
#include "PacedSender.h"

// A session's media in blast mode: blaster packets at a set rate instead of pictures, so that a
// receiver can be measured without the simulator's encoding cost. No picture is made: the
// stream's position stays where PLAY put it, and seek and Scale change nothing here.
class CBlastProducer : public CMediaProducer {
public:
    CBlastProducer(int rate, int size, uint32_t ssrc) : sender(rate, size, ssrc) {}

    bool Open(std::string&) override { return true; }
    bool Produce(const FrameOrder& order, CMediaChannel& channel) override;
    int PicturesPerStep() const override { return 0; }
    Clock::duration StepInterval(double) const override { return sender.WakeInterval(); }

private:
    CPacedSender sender;
};
