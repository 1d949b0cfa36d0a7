#pragma once

#include "LoadOptions.h"
#include "LoadPlayer.h"
#include "LoadReport.h"

#include <memory>
#include <vector>

// Library mode: N players of one URL through the library's exports, as a host would run them.
// Sets up each stream (timed), plays all, measures the window, then stops them one at a time
// (timed, and until each receive thread has freed its transport), and checks that the process
// is back to the descriptors and threads it had.
class CLibraryLoad {
public:
    explicit CLibraryLoad(const CLoadOptions& loadOptions) : options(loadOptions) {}

    void Run(CLoadReport& report);

private:
    void CreatePlayers(CLoadReport& report);
    void OpenAndPlay(CLoadReport& report);
    void MeasureWindow(CLoadReport& report);
    void StopPlayers(CLoadReport& report);
    static void WaitForRelease(int fds, int threads);

    const CLoadOptions& options;
    // The library keeps a pointer to each player's notification object, and a receive thread
    // that outlived the wait may still call in: they stay where they are until the end.
    std::vector<std::unique_ptr<CLoadPlayer>> players;
    // Indexes into players and into report.streams alike.
    std::vector<CLoadPlayer*> playing;
};
