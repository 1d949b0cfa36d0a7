// decode_cost: the CPU our decoder stand-in spends on each 640x360 stream at 25 frames a second.
// The simulator's scene is encoded first, with the simulator's encoder, and not counted. Each
// round then opens N decoder streams through the stand-in's exported functions, as the client
// does, feeds each the same video one RTP packet a block (as over UDP) at the stream's pace, and
// waits until every frame has been shown. The CPU is the whole process's: decoding, the display
// threads' pacing and the feeding.
//   decode_cost [--seconds S] [--streams N[,M...]]      defaults: 20 s; 1,4
#include "AnnexB.h"
#include "BenchOptions.h"
#include "CpuMeter.h"
#include "H264Encoder.h"
#include "RtpPacketizer.h"
#include "SceneView.h"
#include "TestPicture.h"
#include "lumodec/LumoStreamHeader.h"
#include "decoder/VAROH264Renderer.h"
#include "decoder/lumodec.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Video = std::vector<std::vector<RtpPacket>>;

const int kWidth = 640;
const int kHeight = 360;
const int kFps = 25;
const uint32_t kClockRate = 90000;
// How long the last frames may take to be shown after the last one was fed.
const std::chrono::seconds kDrainTime(5);

std::atomic<int> shown{0};

void LUMO_CALL CountFrame(int, const unsigned char*, int, int, int, int, int, int)
{
    shown.fetch_add(1);
}

// The packets of each frame of the simulator's moving scene.
bool Encode(int frames, Video& video, size_t& bytes)
{
    CH264Encoder encoder;
    std::string error;
    if (!encoder.Open(kWidth, kHeight, kFps, error)) {
        std::fprintf(stderr, "decode_cost: %s\n", error.c_str());
        return false;
    }
    CTestPicture picture(kWidth, kHeight);
    CSceneView view(kWidth, kHeight);
    CRtpPacketizer packetizer(0x5eed, 0);
    bytes = 0;
    for (int i = 0; i < frames; ++i) {
        picture.Render(double(i) / kFps, view);
        std::vector<uint8_t> unit;
        if (!encoder.Encode(picture.Image(), false, unit))
            return false;
        bytes += unit.size();
        video.push_back(packetizer.Packetize(SplitAnnexB(unit.data(), unit.size()), i * kClockRate / kFps));
    }
    return true;
}

// A decoder stream opened and playing as the client opens one for a window.
int OpenPort()
{
    LumoStreamHeader header;
    header.width = kWidth;
    header.height = kHeight;
    header.frameRate = kFps;
    header.clockRate = kClockRate;
    unsigned char bytes[LumoStreamHeader::kSize];
    header.Write(bytes);
    int port = -1;
    if (!Lumo_GetPort(&port) || !Lumo_OpenStream(port, bytes, sizeof bytes, CVAROH264Renderer::kSourceBufferSize) ||
        !Lumo_SetDisplayCallBack(port, CountFrame) || !Lumo_Play(port, nullptr))
        return -1;
    return port;
}

void ClosePort(int port)
{
    Lumo_Stop(port);
    Lumo_CloseStream(port);
    Lumo_FreePort(port);
}

// Feeds every port each frame when it is due; the blocks the stand-in refused.
int Feed(const Video& video, const std::vector<int>& ports)
{
    int refused = 0;
    Clock::time_point start = Clock::now();
    for (size_t i = 0; i < video.size(); ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(1000 * i / kFps));
        for (int port : ports)
            for (const RtpPacket& packet : video[i])
                refused += Lumo_InputData(port, packet.data(), static_cast<int>(packet.size())) ? 0 : 1;
    }
    return refused;
}

bool MeasureRound(const Video& video, int count)
{
    std::vector<int> ports;
    for (int i = 0; i < count; ++i) {
        ports.push_back(OpenPort());
        if (ports.back() < 0) {
            std::fprintf(stderr, "decode_cost: the stand-in opened no stream %d\n", i + 1);
            return false;
        }
    }
    shown = 0;
    int wanted = count * static_cast<int>(video.size());
    CCpuMeter cpu;
    int refused = Feed(video, ports);
    Clock::time_point deadline = Clock::now() + kDrainTime;
    while (shown < wanted && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    double corePercent = cpu.CorePercent();
    for (int port : ports)
        ClosePort(port);
    std::printf("%7d %12d %12d %8d %12.1f %12.2f\n", count, shown.load(), wanted, refused, corePercent,
                corePercent / count);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions options{20, {1, 4}};
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "decode_cost: %s\nusage: decode_cost [--seconds S] [--streams N[,M...]]\n", error.c_str());
        return 2;
    }
    Video video;
    size_t bytes = 0;
    if (!Encode(options.seconds * kFps, video, bytes))
        return 1;
    std::printf("%dx%d at %d fps, %d s of the simulator's scene, %.0f kbit/s; CPU in %% of one core\n", kWidth, kHeight,
                kFps, options.seconds, 8.0 * bytes / options.seconds / 1000);
    std::printf("%7s %12s %12s %8s %12s %12s\n", "streams", "frames shown", "frames fed", "refused", "CPU total",
                "CPU/stream");
    for (int count : options.streams) {
        if (!MeasureRound(video, count))
            return 1;
    }
    return 0;
}
