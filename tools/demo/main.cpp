// streamclient-demo: a host application written only against streamclient.h. It plays the live
// stream over UDP and a recording over TCP from a server (our simulator, or any server of the
// dialect), drives every kind of request, takes snapshots and reports what it saw. With --show
// each stream plays in a window of its own.
#include "DemoPlayer.h"
#include "DemoWindow.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: streamclient-demo [--server HOST:PORT] [--snapshots DIR] [--show]\n"
    "  --server     the server to play from (127.0.0.1:8554)\n"
    "  --snapshots  where the snapshot files go (.)\n"
    "  --show       play each stream in a window of its own (on Linux an X window, on DISPLAY);\n"
    "               without it nothing is drawn\n";

// Any non-null handle turns decoding and snapshots on; this one names no window.
HWND const kNoWindow = reinterpret_cast<HWND>(1);

HWND WindowFor(std::vector<std::unique_ptr<CDemoWindow>>& windows, bool show, const std::string& title)
{
    if (!show)
        return kNoWindow;
    // One below the other, where no window manager places them.
    const int width = 640, height = 360, gap = 40;
    windows.emplace_back(new CDemoWindow(title, 0, static_cast<int>(windows.size()) * (height + gap), width, height));
    if (!windows.back()->Handle()) {
        fprintf(stderr, "no window for %s (no display, or a build without windows): nothing is drawn\n", title.c_str());
        return kNoWindow;
    }
    return windows.back()->Handle();
}

} // namespace

int main(int argc, char** argv)
{
    std::string server = "127.0.0.1:8554";
    std::string snapshots = ".";
    bool show = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--show") == 0) {
            show = true;
        } else if (i + 1 < argc && strcmp(argv[i], "--server") == 0) {
            server = argv[++i];
        } else if (i + 1 < argc && strcmp(argv[i], "--snapshots") == 0) {
            snapshots = argv[++i];
        } else {
            fputs(kUsage, stderr);
            return 2;
        }
    }
    if (InitStreamClientLib() != 0) {
        fprintf(stderr, "the library could not start\n");
        return 1;
    }
    // The library keeps a pointer to each player's notification object: they must not move.
    // The windows outlive the players, which draw into them.
    std::vector<std::unique_ptr<CDemoWindow>> windows;
    std::vector<std::unique_ptr<CDemoPlayer>> players;
    players.emplace_back(new CDemoPlayer("live", "rtsp://" + server + "/live/av_stream", true, snapshots,
                                         WindowFor(windows, show, "live")));
    players.emplace_back(new CDemoPlayer("recording", "rtsp://" + server + "/record/demo.mp4", false, snapshots,
                                         WindowFor(windows, show, "recording")));
    bool allDone = true;
    for (auto& player : players)
        allDone = player->Run() && allDone;

    printf("\nReport\n");
    for (const auto& player : players)
        printf("%s\n", player->ReportLine().c_str());
    for (const auto& player : players) {
        for (const std::string& failure : player->Failures())
            printf("FAILED %s\n", failure.c_str());
    }
    printf("%s\n", allDone ? "every step did what it should" : "some steps failed");
    FiniStreamClientLib();
    return allDone ? 0 : 1;
}
