// decode_live: live streams through the client and the decoder stand-in as a host with windows
// runs them, for bench/compare.py. Each round opens N players of the URL (over UDP), plays them
// and, a second after every one has shown a picture, measures a window of S seconds: the
// process's CPU and the frames shown in it, and for the frames that arrived in it, whether and
// how soon after their last packet reached the data callback they were shown. Prints one JSON
// object a round.
//   decode_live URL [--seconds S] [--streams N[,M...]]      defaults: 10 s; 1
#include "BenchOptions.h"
#include "CpuMeter.h"
#include "JsonWriter.h"
#include "LiveViewer.h"

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A frame shown this long after its last packet arrived is late: two and a half frames at 25
// fps, a delay that a viewer of a live camera starts to notice.
const double kOnTimeMs = 100;
// Time for every stream to show its first picture: a key frame may be a second away.
const double kFirstPictureWaitMs = 5000;
// The window opens this long after every stream has shown its first picture, as FFmpeg's opens a
// second after it began to decode: neither side's start-up (the decoder's first allocations,
// its pages touched for the first time) is counted.
const auto kSettleTime = std::chrono::seconds(1);
// Frames that arrived at the end of the window are given this long to be shown.
const auto kDrainTime = std::chrono::milliseconds(500);

using Viewers = std::vector<std::unique_ptr<CLiveViewer>>;

bool Start(const std::string& url, int count, Viewers& viewers)
{
    InitStreamClientLib();
    for (int i = 0; i < count; ++i) {
        viewers.emplace_back(new CLiveViewer);
        if (!viewers.back()->Create() || !viewers.back()->Open(url, i) || !viewers.back()->Play()) {
            std::fprintf(stderr, "decode_live: stream %d did not start\n", i + 1);
            return false;
        }
    }
    return true;
}

bool AllShown(const Viewers& viewers)
{
    for (const auto& viewer : viewers)
        if (!viewer->Log().FirstShown())
            return false;
    return true;
}

void WriteDelays(CJsonWriter& json, const char* key, const CLatencySamples& samples)
{
    json.BeginObject(key);
    json.Number("p50", samples.Percentile(50));
    json.Number("p99", samples.Percentile(99));
    json.Number("max", samples.Max());
    json.EndObject();
}

void Report(const Viewers& viewers, double from, double to, double cpuSeconds)
{
    CLatencySamples delays;
    CLatencySamples firstPictures;
    CFrameLog::Result total;
    int shownInWindow = 0;
    for (const auto& viewer : viewers) {
        CFrameLog::Result result = viewer->Log().Evaluate(from, to, kOnTimeMs, delays);
        total.arrived += result.arrived;
        total.shown += result.shown;
        total.onTime += result.onTime;
        shownInWindow += viewer->Log().ShownBetween(from, to);
        if (auto first = viewer->Log().FirstShown())
            firstPictures.Add(*first - viewer->OpenedAt());
    }
    CJsonWriter json;
    json.BeginObject();
    json.Integer("streams", static_cast<long long>(viewers.size()));
    json.Number("seconds", (to - from) / 1000);
    json.Number("cpu_seconds", cpuSeconds);
    json.Integer("frames_shown", shownInWindow);
    json.Integer("frames_arrived", total.arrived);
    json.Integer("frames_matched", total.shown);
    json.Integer("frames_on_time", total.onTime);
    json.Number("on_time_ms", kOnTimeMs);
    WriteDelays(json, "delay_ms", delays);
    WriteDelays(json, "first_picture_ms", firstPictures);
    json.EndObject();
    std::printf("%s\n", json.Result().c_str());
    std::fflush(stdout);
}

bool MeasureRound(const std::string& url, int count, int seconds)
{
    Viewers viewers;
    bool started = Start(url, count, viewers);
    double deadline = CLiveViewer::Now() + kFirstPictureWaitMs;
    while (started && !AllShown(viewers) && CLiveViewer::Now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (started)
        std::this_thread::sleep_for(kSettleTime);
    double from = CLiveViewer::Now();
    CCpuMeter cpu;
    if (started)
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double cpuSeconds = cpu.CpuSeconds();
    double to = CLiveViewer::Now();
    if (started)
        std::this_thread::sleep_for(kDrainTime);
    for (auto& viewer : viewers)
        viewer->Stop();
    if (started)
        Report(viewers, from, to, cpuSeconds);
    return started;
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions options{10, {1}};
    std::string error;
    // The URL comes first; the options parser reads what follows it as it reads a program's.
    if (argc < 2 || !options.Parse(argc - 1, argv + 1, error)) {
        std::fprintf(stderr, "decode_live: %s\nusage: decode_live URL [--seconds S] [--streams N[,M...]]\n",
                     error.c_str());
        return 2;
    }
    for (int count : options.streams)
        if (!MeasureRound(argv[1], count, options.seconds))
            return 1;
    return 0;
}
