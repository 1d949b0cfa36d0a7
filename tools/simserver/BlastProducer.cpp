#include "BlastProducer.h"

// After a pause the rate counts afresh, so that the pause is not made up in a burst.
bool CBlastProducer::Produce(const FrameOrder& order, CMediaChannel& channel)
{
    Clock::time_point now = Clock::now();
    if (order.restart)
        sender.Restart(now);
    return sender.SendDue(channel, now);
}
