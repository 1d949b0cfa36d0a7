// decode_live: live streams through the client and the decoder stand-in as a host with windows
// runs them, for bench/compare.py. Each round opens N players of the URL (over UDP), plays them
// and, a second after every one has shown a picture, measures a window of S seconds: the
// process's CPU and the frames shown in it, and for the frames that arrived in it, whether and
// how soon after their last packet reached the data callback they were shown. Prints one JSON
// object a round.
//   decode_live URL [--watch W] [--seconds S] [--streams N[,M...]]      defaults: every stream; 10 s; 1
// A display callback tells when each frame of a stream is shown, and with it asks the decoder
// for a YV12 copy of every picture, which a host that only shows its streams in windows never
// does (in a round of many streams the copies cost a fifth of the CPU). So only the streams
// watched carry one: the first and every W-th after it (--watch 0: none). Delays and frames on
// time are those of the watched streams. Of the others, the frames shown in the window are those
// that arrived in it, as long as the stream's played time moved on as far meanwhile (a live
// frame is shown as it comes); one that fell behind counts as "behind" and shows nothing.
#include "BenchOptions.h"
#include "CpuMeter.h"
#include "JsonWriter.h"
#include "LiveViewer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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
// The played time counts in 64 ms units; a stream whose played time moved on by less than the
// window's length less this much did not show what arrived in it.
const double kPlayedSlackMs = 200;
const double kPlayedUnitMs = 64;
// --watch goes up to the most streams a round may have.
const long kMaxWatch = 1000;

using Viewers = std::vector<std::unique_ptr<CLiveViewer>>;

bool Start(const std::string& url, int count, int watch, Viewers& viewers)
{
    InitStreamClientLib();
    for (int i = 0; i < count; ++i) {
        viewers.emplace_back(new CLiveViewer);
        bool watched = watch > 0 && i % watch == 0;
        if (!viewers.back()->Create() || !viewers.back()->Open(url, i, watched) || !viewers.back()->Play()) {
            std::fprintf(stderr, "decode_live: stream %d did not start\n", i + 1);
            return false;
        }
    }
    return true;
}

// A stream not watched has shown frames once its played time has moved.
bool AllShown(const Viewers& viewers)
{
    for (const auto& viewer : viewers)
        if (viewer->Watched() ? !viewer->Log().FirstShown() : viewer->PlayedUnits() == 0)
            return false;
    return true;
}

std::vector<unsigned> PlayedUnits(const Viewers& viewers)
{
    std::vector<unsigned> units;
    for (const auto& viewer : viewers)
        units.push_back(viewer->PlayedUnits());
    return units;
}

// The frames shown in the window by the streams not watched, and how many of them fell behind.
struct Unwatched {
    int shown = 0;
    int behind = 0;
};

Unwatched Played(const Viewers& viewers, double from, double to, const std::vector<unsigned>& playedBefore)
{
    Unwatched result;
    for (size_t i = 0; i < viewers.size(); ++i) {
        if (viewers[i]->Watched())
            continue;
        double playedMs = (viewers[i]->PlayedUnits() - playedBefore[i]) * kPlayedUnitMs;
        if (playedMs < to - from - kPlayedSlackMs)
            ++result.behind;
        else
            result.shown += viewers[i]->Log().ArrivedBetween(from, to);
    }
    return result;
}

void WriteDelays(CJsonWriter& json, const char* key, const CLatencySamples& samples)
{
    json.BeginObject(key);
    json.Number("p50", samples.Percentile(50));
    json.Number("p99", samples.Percentile(99));
    json.Number("max", samples.Max());
    json.EndObject();
}

void Report(const Viewers& viewers, double from, double to, double cpuSeconds, const Unwatched& unwatched)
{
    CLatencySamples delays;
    CLatencySamples firstPictures;
    CFrameLog::Result total;
    int watched = 0;
    int shownInWindow = unwatched.shown;
    for (const auto& viewer : viewers) {
        if (!viewer->Watched())
            continue;
        ++watched;
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
    json.Integer("watched", watched);
    json.Integer("behind", unwatched.behind);
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

bool MeasureRound(const std::string& url, int count, int seconds, int watch)
{
    Viewers viewers;
    bool started = Start(url, count, watch, viewers);
    double deadline = CLiveViewer::Now() + kFirstPictureWaitMs;
    while (started && !AllShown(viewers) && CLiveViewer::Now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (started)
        std::this_thread::sleep_for(kSettleTime);
    std::vector<unsigned> playedBefore = PlayedUnits(viewers);
    double from = CLiveViewer::Now();
    CCpuMeter cpu;
    if (started)
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double cpuSeconds = cpu.CpuSeconds();
    double to = CLiveViewer::Now();
    if (started)
        std::this_thread::sleep_for(kDrainTime);
    Unwatched unwatched = Played(viewers, from, to, playedBefore);
    for (auto& viewer : viewers)
        viewer->Stop();
    if (started)
        Report(viewers, from, to, cpuSeconds, unwatched);
    return started;
}

bool ReadWatch(const char* text, int& watch, std::string& error)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0 || value > kMaxWatch) {
        error = "--watch takes a whole number from 0 to " + std::to_string(kMaxWatch);
        return false;
    }
    watch = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions options{10, {1}};
    std::string error;
    int watch = 1;
    // The URL comes first and --watch, where given, right after it; the options parser reads
    // the rest as it reads a program's arguments, what comes before them in the program's place.
    int skipped = argc > 3 && std::string(argv[2]) == "--watch" ? 2 : 0;
    if (argc < 2 || (skipped && !ReadWatch(argv[3], watch, error)) ||
        !options.Parse(argc - 1 - skipped, argv + 1 + skipped, error)) {
        std::fprintf(stderr, "decode_live: %s\nusage: decode_live URL [--watch W] [--seconds S] [--streams N[,M...]]\n",
                     error.c_str());
        return 2;
    }
    for (int count : options.streams)
        if (!MeasureRound(argv[1], count, options.seconds, watch))
            return 1;
    return 0;
}
