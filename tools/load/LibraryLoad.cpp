#include "LibraryLoad.h"

#include "MeasureWindow.h"
#include "ProcessStats.h"
#include "Stopwatch.h"

#include <thread>

namespace {

// Any non-null window turns decoding on; this one names no X window, so nothing is drawn.
HWND const kFakeWindow = reinterpret_cast<HWND>(1);
// Keep-alive threads end on their own after Stop returns, within one of their waits; what is
// still held after this long is reported as kept.
const double kReleaseSettleMs = 2000;
const auto kReleasePollStep = std::chrono::milliseconds(10);
// Media follows PLAY within a frame or two.
const double kFirstChunkWaitSeconds = 5;

} // namespace

void CLibraryLoad::Run(CLoadReport& report)
{
    report.mode = "library";
    report.source = options.url;
    report.overUdp = !options.tcp;
    report.withWindow = options.window;
    report.streamsAsked = options.streams;
    if (InitStreamClientLib() != 0) {
        report.error = "the library could not start";
        return;
    }
    report.fdsBefore = CProcessStats::OpenHandleCount();
    report.threadsBefore = CProcessStats::ThreadCount();
    report.rssBeforeKib = CProcessStats::RssKib();
    CreatePlayers(report);
    OpenAndPlay(report);
    report.rssPlayingKib = CProcessStats::RssKib();
    MeasureWindow(report);
    StopPlayers(report);
    WaitForRelease(report.fdsBefore, report.threadsBefore);
    report.fdsAfter = CProcessStats::OpenHandleCount();
    report.threadsAfter = CProcessStats::ThreadCount();
    report.peakRssKib = CProcessStats::PeakRssKib();
    FiniStreamClientLib();
}

void CLibraryLoad::CreatePlayers(CLoadReport& report)
{
    for (int i = 0; i < options.streams; ++i) {
        auto player = std::make_unique<CLoadPlayer>(!options.tcp);
        if (player->Create(options.window ? kFakeWindow : nullptr))
            players.push_back(std::move(player));
        else
            ++report.createFailures;
    }
}

// One stream after the other, as a host opening its views does; a stream that cannot play is
// stopped at once and left out of the measurement.
void CLibraryLoad::OpenAndPlay(CLoadReport& report)
{
    for (const std::unique_ptr<CLoadPlayer>& player : players) {
        std::optional<double> setupMs = player->Open(options.url);
        if (!setupMs) {
            ++report.setupFailures;
            continue;
        }
        report.setupMs.Add(*setupMs);
        if (!player->Play()) {
            ++report.playFailures;
            player->Stop();
            continue;
        }
        StreamResult stream;
        stream.playerId = player->Id();
        stream.countsLoss = player->Counter().CountsLoss();
        stream.setupMs = setupMs;
        report.streams.push_back(stream);
        playing.push_back(player.get());
    }
}

// The window opens once every stream flows (or the wait gives up on the silent ones).
void CLibraryLoad::MeasureWindow(CLoadReport& report)
{
    std::vector<const CStreamCounter*> counters;
    for (const CLoadPlayer* player : playing)
        counters.push_back(&player->Counter());
    CMeasureWindow window(counters);
    window.WaitForFirstChunks(kFirstChunkWaitSeconds);
    window.Measure(options.seconds);
    report.SetWindow(window);
}

void CLibraryLoad::StopPlayers(CLoadReport& report)
{
    for (size_t i = 0; i < playing.size(); ++i) {
        StopTiming timing = playing[i]->Stop();
        report.streams[i].stopCallMs = timing.callMs;
        report.streams[i].stopToFreedMs = timing.freedMs;
        report.stopCallMs.Add(timing.callMs);
        if (timing.freedMs)
            report.stopToFreedMs.Add(*timing.freedMs);
        report.stopFailures += timing.stopped ? 0 : 1;
        report.receiveThreadsUnknown += timing.threadKnown ? 0 : 1;
        report.receiveThreadsNotEnded += timing.threadKnown && !timing.freedMs ? 1 : 0;
    }
}

void CLibraryLoad::WaitForRelease(int fds, int threads)
{
    CStopwatch settle;
    while ((CProcessStats::OpenHandleCount() > fds || CProcessStats::ThreadCount() > threads) &&
           settle.ElapsedMs() < kReleaseSettleMs)
        std::this_thread::sleep_for(kReleasePollStep);
}
