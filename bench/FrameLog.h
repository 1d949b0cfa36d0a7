#pragma once

#include "LatencySamples.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// When each frame of one live stream reached the host and when the decoder showed it. The data
// callback notes every RTP packet as it arrives (over UDP a chunk is one packet); a frame has
// arrived with its last packet, the one with the marker bit. The display callback notes the
// stream time it is given, the distance of the frame from the first one shown; the first
// frame shown is the first key frame that arrived, since nothing before it decodes. That is how
// a shown frame is matched to its RTP timestamp. Both callbacks may run at once, on the
// receive and the display thread.
class CFrameLog {
public:
    static constexpr uint32_t kClockRate = 90000;

    // What became of the frames that arrived within a window.
    struct Result {
        int arrived = 0;
        int shown = 0;    // shown at any time before the stream stopped
        int onTime = 0;   // shown within the allowed delay of their arrival
    };

    // now and the window below: milliseconds on one clock of the caller's.
    void OnPacket(const unsigned char* packet, int length, double now);
    void OnShown(uint32_t streamMs, double now);

    // The frames whose last packet arrived in [from, to); each matched frame's delay from its
    // last packet to its showing goes into delays.
    Result Evaluate(double from, double to, double allowedMs, CLatencySamples& delays) const;
    std::optional<double> FirstShown() const;
    // Frames shown in [from, to).
    int ShownBetween(double from, double to) const;
    // Frames whose last packet arrived in [from, to).
    int ArrivedBetween(double from, double to) const;

private:
    struct Event {
        uint32_t time; // RTP timestamp (arrivals) or stream milliseconds (showings)
        double at;
    };

    mutable std::mutex mutex;
    std::vector<Event> arrivals;
    std::vector<Event> showings;
    std::vector<Event> keys; // arrivals of key frames' first packets

    static int CountBetween(const std::vector<Event>& events, double from, double to);
};
