#pragma once

#include "MediaChannel.h"
#include "PictureParams.h"
#include "SceneView.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class CH264Encoder;
class CRtpPacketizer;
class CTestPicture;

// The picture a session makes: size, rate and, for a recorded stream, its length.
struct StreamFormat {
    int width;
    int height;
    int fps;
    int durationSeconds; // 0: the live stream
};

// One set-up stream: a thread of its own draws, encodes and sends each picture at the stream's
// pace while the client has it playing. The control connection drives it; the thread only
// reads what the control side sets, under the session's lock.
class CMediaSession {
public:
    static constexpr uint32_t kClockRate = 90000;

    CMediaSession(const StreamFormat& format, std::unique_ptr<CMediaChannel> channel, uint32_t seed);
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
    // beginning with a key frame.
    void PlayFrom(int startSecond);
    // Continues after a pause, beginning with a key frame; nothing while playing.
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
    using Clock = std::chrono::steady_clock;
    // What the thread needs to make one picture, taken under the lock.
    struct FrameOrder {
        int64_t index;
        bool key;
        unsigned generation;
        PictureParams params;
        CSceneView view;
    };

    void Run();
    bool WaitForClient();
    bool OpenEncoder();
    FrameOrder NextOrder();
    void Advance();
    bool ProduceFrame(const FrameOrder& order);
    void DrawOverlay(int64_t index);
    bool AtEnd() const;
    int64_t LiveFrameNow() const;
    void Restart(int64_t index);

    const StreamFormat format;
    std::unique_ptr<CMediaChannel> channel;
    const uint32_t timestampBase;
    const Clock::time_point created;

    // Owned by the thread.
    std::unique_ptr<CTestPicture> picture;
    std::unique_ptr<CH264Encoder> encoder;
    std::unique_ptr<CRtpPacketizer> packetizer;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool playing = false;
    bool played = false;
    bool forceKey = false;
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
