#pragma once

#include "RtpReceiver.h"
#include "SimClient.h"

#include <chrono>

// One live stream of the simulator, set up and played over UDP; its media end counts pictures.
class CLiveStream {
public:
    explicit CLiveStream(unsigned short serverPort);

    // Counts the pictures (marker bits) received until the deadline; what queued before is not
    // counted.
    void Count(std::chrono::steady_clock::time_point until);
    int Pictures() const { return pictures; }

private:
    CSimClient control;
    CRtpReceiver media;
    int pictures = 0;
};
