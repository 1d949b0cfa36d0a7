// streamclient-demo: a host application written only against streamclient.h. It plays the live
// stream over UDP and a recording over TCP from a server (our simulator, or any server of the
// dialect), drives every kind of request, takes snapshots and reports what it saw.
//   streamclient-demo [--server 127.0.0.1:8554] [--snapshots DIR]
#include "DemoPlayer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::string server = "127.0.0.1:8554";
    std::string snapshots = ".";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--server") == 0)
            server = argv[i + 1];
        else if (strcmp(argv[i], "--snapshots") == 0)
            snapshots = argv[i + 1];
    }
    if (InitStreamClientLib() != 0) {
        fprintf(stderr, "the library could not start\n");
        return 1;
    }
    // The library keeps a pointer to each player's notification object: they must not move.
    std::vector<std::unique_ptr<CDemoPlayer>> players;
    players.emplace_back(new CDemoPlayer("live", "rtsp://" + server + "/live/av_stream", true, snapshots));
    players.emplace_back(new CDemoPlayer("recording", "rtsp://" + server + "/record/demo.mp4", false, snapshots));
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
