#include "DecodePipeline.h"

#include <utility>

void CDecodePipeline::Feed(std::unique_ptr<CBlockQueue::Block> next)
{
    block = std::move(next);
    reader.Attach(block ? block->data.get() : nullptr, block ? block->length : 0);
}

bool CDecodePipeline::NextFrame(DecodedFrame* frame)
{
    for (;;) {
        if (decoder.Receive(frame))
            return true;
        H264AccessUnit unit;
        if (!NextAccessUnit(&unit))
            return false;
        // A refused access unit (damaged data) is skipped; the decoder recovers by itself.
        decoder.Send(unit.data, unit.size, unit.timestamp);
    }
}

bool CDecodePipeline::NextAccessUnit(H264AccessUnit* unit)
{
    while (!depacketizer.Take(unit)) {
        const unsigned char* packet = nullptr;
        int length = 0;
        if (!reader.Next(&packet, &length)) {
            Feed(nullptr);
            return false;
        }
        depacketizer.Push(packet, length);
    }
    return true;
}

void CDecodePipeline::Reset()
{
    Feed(nullptr);
    reader.Reset();
    depacketizer.Reset();
    decoder.Reset();
}
