#include "ReplayProducer.h"

namespace {

void PutBigEndian(uint8_t* out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        out[i] = static_cast<uint8_t>(value);
}

uint32_t TimestampOf(const RtpPacket& packet)
{
    return uint32_t(packet[4]) << 24 | uint32_t(packet[5]) << 16 | uint32_t(packet[6]) << 8 | packet[7];
}

// The live stream's position, in pictures, as if it had played since the epoch: sessions that
// join at the same moment see the same picture.
int64_t LivePhase(const StreamFormat& format)
{
    auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() * format.fps / 1000;
}

} // namespace

CReplayProducer::CReplayProducer(const std::string& path, const StreamFormat& format, uint32_t seed)
    : path(path), format(format), ssrc(seed), timestampBase(seed * 2654435761u),
      phase(format.durationSeconds == 0 ? LivePhase(format) : 0), sequence(static_cast<uint16_t>(seed >> 7))
{
}

std::vector<RtpPacket> CReplayProducer::FramePackets(int64_t index)
{
    const std::vector<CRtpRecording::Frame>& frames = recording.Frames();
    int64_t count = static_cast<int64_t>(frames.size());
    index += phase;
    uint32_t loopTicks = static_cast<uint32_t>(count * StreamFormat::kClockRate / format.fps);
    uint32_t offset = timestampBase + static_cast<uint32_t>(index / count) * loopTicks - TimestampOf(frames[0][0]);
    std::vector<RtpPacket> packets = frames[static_cast<size_t>(index % count)];
    for (RtpPacket& packet : packets) {
        PutBigEndian(&packet[2], sequence++, 2);
        PutBigEndian(&packet[4], TimestampOf(packet) + offset, 4);
        PutBigEndian(&packet[8], ssrc, 4);
    }
    return packets;
}

bool CReplayProducer::Produce(const FrameOrder& order, CMediaChannel& channel)
{
    for (const RtpPacket& packet : FramePackets(order.index))
        if (!channel.Send(packet))
            return false;
    return true;
}
