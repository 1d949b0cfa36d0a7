#pragma once

#include "streamclient.h"

#include <atomic>
#include <string>
#include <vector>

// One stream of the demo, seen from the host's side: its callbacks count what arrives, and its
// steps drive the player through the library's exports, each checked against what it should do.
class CDemoPlayer : public CStreamNotify {
public:
    // The stream plays into the window (drawn only where the handle names a window).
    CDemoPlayer(const std::string& name, const std::string& url, bool udp, const std::string& snapshotDir,
                HWND window);

    // Runs every step; false when one did not do what it should (the rest still run).
    bool Run();
    // One line per step that failed, and the figures for the report.
    const std::vector<std::string>& Failures() const { return failures; }
    std::string ReportLine() const;

    void OnTimestamp(int timestamp) override;
    void OnSetupResult(int ok) override;
    void OnDisconnect() override;

private:
    static void STREAMCLIENT_CALL OnData(int playerId, void* user, int dataType, const unsigned char* data, int length);
    bool Step(const std::string& what, bool done);
    void Wait(int milliseconds, const char* why);
    bool Snapshot(int format, const std::string& path);
    bool Open();
    void Live();
    void Recorded();

    std::string name;
    std::string url;
    bool udp;
    std::string snapshotDir;
    HWND window;
    int id = -1;
    std::atomic<int> setupResult{-1};
    std::atomic<int> streamTime{-1};
    std::atomic<int> headerLength{-1};
    std::atomic<long long> chunks{0};
    std::atomic<long long> bytes{0};
    unsigned playedSeconds = 0;
    std::vector<std::string> snapshots;
    std::vector<std::string> failures;
};
