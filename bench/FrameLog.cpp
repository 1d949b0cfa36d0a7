#include "FrameLog.h"

#include <map>

namespace {

const int kRtpHeaderSize = 12;
const unsigned char kNalTypeMask = 0x1f;
const int kNalTypeIdr = 5;
const int kNalTypeFuA = 28;

// Whether the packet carries (the start of) an IDR slice: a single NAL unit or an FU-A
// fragment. RTP header extensions and CSRCs are not used by the senders measured.
bool CarriesIdr(const unsigned char* payload, int length)
{
    if (length < 1)
        return false;
    int type = payload[0] & kNalTypeMask;
    return type == kNalTypeIdr || (type == kNalTypeFuA && length >= 2 && (payload[1] & kNalTypeMask) == kNalTypeIdr);
}

uint32_t TimestampOf(const unsigned char* packet)
{
    return uint32_t(packet[4]) << 24 | uint32_t(packet[5]) << 16 | uint32_t(packet[6]) << 8 | packet[7];
}

} // namespace

void CFrameLog::OnPacket(const unsigned char* packet, int length, double now)
{
    if (length < kRtpHeaderSize)
        return;
    uint32_t timestamp = TimestampOf(packet);
    std::lock_guard<std::mutex> guard(mutex);
    if (CarriesIdr(packet + kRtpHeaderSize, length - kRtpHeaderSize) && (keys.empty() || keys.back().time != timestamp))
        keys.push_back({timestamp, now});
    if (packet[1] & 0x80)
        arrivals.push_back({timestamp, now});
}

void CFrameLog::OnShown(uint32_t streamMs, double now)
{
    std::lock_guard<std::mutex> guard(mutex);
    showings.push_back({streamMs, now});
}

CFrameLog::Result CFrameLog::Evaluate(double from, double to, double allowedMs, CLatencySamples& delays) const
{
    std::lock_guard<std::mutex> guard(mutex);
    Result result;
    const Event* firstKey = nullptr;
    for (const Event& key : keys)
        if (!showings.empty() && key.at <= showings.front().at)
            firstKey = &key;
    if (!firstKey)
        return result;
    // Shown frames by their distance from the first key frame in RTP ticks: the stream time
    // is whole milliseconds, so a frame lies within one millisecond's ticks after it.
    std::map<int64_t, double> shownAt;
    for (const Event& shown : showings)
        shownAt.emplace(int64_t(shown.time) * kClockRate / 1000, shown.at);
    const int64_t tickPerMs = kClockRate / 1000;
    for (const Event& arrival : arrivals) {
        int64_t ticks = static_cast<int32_t>(arrival.time - firstKey->time);
        if (arrival.at < from || arrival.at >= to || ticks < 0)
            continue;
        ++result.arrived;
        auto shown = shownAt.upper_bound(ticks);
        if (shown == shownAt.begin() || ticks - (--shown)->first >= tickPerMs)
            continue;
        double delay = shown->second - arrival.at;
        ++result.shown;
        result.onTime += delay <= allowedMs ? 1 : 0;
        delays.Add(delay);
    }
    return result;
}

std::optional<double> CFrameLog::FirstShown() const
{
    std::lock_guard<std::mutex> guard(mutex);
    if (showings.empty())
        return std::nullopt;
    return showings.front().at;
}

int CFrameLog::CountBetween(const std::vector<Event>& events, double from, double to)
{
    int count = 0;
    for (const Event& event : events)
        count += event.at >= from && event.at < to ? 1 : 0;
    return count;
}

int CFrameLog::ShownBetween(double from, double to) const
{
    std::lock_guard<std::mutex> guard(mutex);
    return CountBetween(showings, from, to);
}

int CFrameLog::ArrivedBetween(double from, double to) const
{
    std::lock_guard<std::mutex> guard(mutex);
    return CountBetween(arrivals, from, to);
}
