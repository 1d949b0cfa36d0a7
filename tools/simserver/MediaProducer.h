#pragma once

#include "MediaChannel.h"
#include "PictureParams.h"
#include "SceneView.h"

#include <chrono>
#include <cstdint>
#include <string>

// The picture a session makes: size, rate and, for a recorded stream, its length.
struct StreamFormat {
    static constexpr uint32_t kClockRate = 90000;

    int width;
    int height;
    int fps;
    int durationSeconds; // 0: the live stream

    // The time from one picture to the next when the stream plays at the given speed.
    std::chrono::steady_clock::duration FrameInterval(double speed) const
    {
        return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(1.0 / (fps * speed)));
    }
};

// What a session's thread hands its producer for one step, taken under the session's lock.
struct FrameOrder {
    int64_t index;   // the stream's picture number
    bool restart;    // the first step after PLAY or a resume
    unsigned generation;
    PictureParams params;
    CSceneView view;
};

// What a playing session sends, one step at a time, on the session's own thread: encoded
// pictures, or blaster packets that cost no encoding. The session keeps the stream's position
// and time; a producer says how far and how often a step moves them.
class CMediaProducer {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~CMediaProducer() = default;
    // Readies what the steps need; false with a reason in error.
    virtual bool Open(std::string& error) = 0;
    // Sends one step; false when the channel has failed.
    virtual bool Produce(const FrameOrder& order, CMediaChannel& channel) = 0;
    // The pictures of the stream one step makes.
    virtual int PicturesPerStep() const = 0;
    // The time from one step to the next when the stream plays at the given speed.
    virtual Clock::duration StepInterval(double speed) const = 0;
};
