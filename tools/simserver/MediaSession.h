#pragma once

#include "MediaChannel.h"
#include "MediaProducer.h"
#include "PictureParams.h"
#include "SceneView.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// One set-up stream: a thread of its own has the producer send a step (a picture, or a burst of
// blaster packets) at the stream's pace while the client has it playing. The control connection
// drives it; the thread only reads what the control side sets, under the session's lock.
class CMediaSession {
public:
    CMediaSession(const StreamFormat& format, std::unique_ptr<CMediaChannel> channel,
                  std::unique_ptr<CMediaProducer> producer);
    // Ends the stream and waits for its thread.
    ~CMediaSession();
    CMediaSession(const CMediaSession&) = delete;
    CMediaSession& operator=(const CMediaSession&) = delete;

    bool IsLive() const { return format.durationSeconds == 0; }
    const StreamFormat& Format() const { return format; }
    unsigned short ServerPort() const { return channel->ServerPort(); }
    // Starts the thread: over TCP it first waits for the client's media connection.
    void Start();
    // Plays from the given second of a recorded stream (the live stream plays the present),
    // beginning with a restart step (a key frame).
    void PlayFrom(int startSecond);
    // Continues after a pause, beginning with a restart step; nothing while playing.
    void Resume();
    void Pause();
    bool HasPlayed() const;
    // The client's Scale: 2, 4, 8 play that many times faster, -2, -4, -8 as many times slower,
    // anything else at normal speed. The live stream always plays in real time.
    void SetScale(int scale);
    static double SpeedOf(int scale);

    PictureParams GetPictureParams() const;
    void SetPictureParams(const PictureParams& params);
    // A camera command of CSceneView; false for a number it does not know.
    bool Command(unsigned long command, unsigned long param1, unsigned long param2, unsigned long param3,
                 unsigned long param4);

private:
    using Clock = CMediaProducer::Clock;

    void Run();
    bool WaitForClient();
    bool OpenProducer();
    FrameOrder NextOrder();
    void Advance();
    bool AtEnd() const;
    int64_t LiveFrameNow() const;
    void Restart(int64_t index);

    const StreamFormat format;
    std::unique_ptr<CMediaChannel> channel;
    std::unique_ptr<CMediaProducer> producer; // the thread's alone once started
    const Clock::time_point created;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool playing = false;
    bool played = false;
    bool restartPending = false;
    // Changes with every PLAY, resume and PAUSE, so that a picture made meanwhile does not
    // move the position they set.
    unsigned generation = 0;
    int64_t frameIndex = 0; // the next picture's number in the stream
    double speed = 1;
    Clock::time_point nextDue;
    PictureParams params;
    CSceneView view;
    std::thread thread;
};
