// Measurements, not checks: run by hand with --gtest_also_run_disabled_tests. They print what
// they see and assert nothing about time.
#include "SimServer.h"
#include "simserver/RtpReceiver.h"
#include "simserver/SimClient.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

namespace {

const int kSeconds = 10;
const int kFps = 25;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Sets up and plays one live 640x360 stream over UDP; its media end counts pictures.
struct LiveStream {
    LiveStream(unsigned short port) : control(port)
    {
        std::string url = "rtsp://127.0.0.1:" + std::to_string(port) + "/live/av_stream";
        int media = receiver.UdpPort();
        auto setup = control.Request("SETUP " + url + " RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;unicast;client_port=" +
                                     std::to_string(media) + "-" + std::to_string(media + 1) +
                                     "\r\nUser-agent: Varoplayer\r\n\r\n");
        std::string session;
        if (setup)
            setup->GetHeaderString("Session", session);
        control.Request("PLAY " + url + " RTSP/1.0\r\nCSeq: 2\r\nSession:" + session +
                        "\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n");
    }
    // Pictures (marker bits) received until the deadline; what queued before is not counted.
    void Count(std::chrono::steady_clock::time_point until)
    {
        receiver.Drain(0);
        ReceivedPacket packet;
        while (std::chrono::steady_clock::now() < until)
            if (receiver.Next(packet, 50) && packet.marker)
                ++frames;
    }
    CSimClient control;
    CRtpReceiver receiver;
    int frames = 0;
};

void MeasureLiveStreams(int count)
{
    ServerOptions options;
    options.port = 0;
    CSimServer server(options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    std::vector<std::unique_ptr<LiveStream>> streams;
    for (int i = 0; i < count; ++i)
        streams.emplace_back(new LiveStream(server.Port()));
    std::this_thread::sleep_for(std::chrono::seconds(1)); // encoders open, first key frames out
    double cpuBefore = CpuSeconds();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kSeconds);
    std::vector<std::thread> counters;
    for (auto& stream : streams)
        counters.emplace_back(&LiveStream::Count, stream.get(), until);
    for (std::thread& counter : counters)
        counter.join();
    double cpu = CpuSeconds() - cpuBefore;
    int frames = 0, slowest = kFps * kSeconds;
    for (auto& stream : streams) {
        frames += stream->frames;
        slowest = std::min(slowest, stream->frames);
    }
    std::printf("%3d live 640x360 streams: %6.1f frames/s of %d wanted (%5.1f %%), slowest stream %4.1f fps; "
                "CPU %5.1f %% of a core, %4.2f %% per stream\n",
                count, double(frames) / kSeconds, count * kFps, 100.0 * frames / (count * kFps * kSeconds),
                double(slowest) / kSeconds, 100 * cpu / kSeconds, 100 * cpu / kSeconds / count);
    std::fflush(stdout);
}

TEST(SimServerMeasure, DISABLED_LiveStreamsAgainstRealTime)
{
    for (int count : {1, 40, 60, 80, 100})
        MeasureLiveStreams(count);
}

} // namespace
