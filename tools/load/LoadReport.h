#pragma once

#include "LatencySamples.h"
#include "StreamCounter.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

class CJsonWriter;
class CMeasureWindow;

// One stream's part of the report: what it delivered in the window and how its calls went.
struct StreamResult {
    int playerId = -1; // -1 for a baseline receiver
    bool countsLoss = false;
    StreamFigures figures;
    std::optional<double> setupMs;
    std::optional<double> stopCallMs;
    std::optional<double> stopToFreedMs;
};

// Everything one run measured, written as one JSON object and as a short table for people.
// Figures a mode does not measure stay empty and are written as null.
class CLoadReport {
public:
    // Takes the window's length, CPU and per-stream figures; streams lists them in its order.
    void SetWindow(const CMeasureWindow& window);
    std::string ToJson() const;
    void WriteTable(FILE* out) const;

    std::string mode;      // library, plain-udp or plain-tcp
    std::string source;    // the URL, or the baseline's port
    bool overUdp = true;
    bool withWindow = false;
    int streamsAsked = 0;
    std::string error;     // why the run could not start; empty when it did
    std::vector<StreamResult> streams; // those that played

    double seconds = 0;    // the measuring window
    double cpuSeconds = 0; // in the window, all threads

    int createFailures = 0;
    int setupFailures = 0;
    int playFailures = 0;
    int stopFailures = 0;
    int receiveThreadsUnknown = 0;   // no chunk arrived, so no thread to watch
    int receiveThreadsNotEnded = 0;  // still there when the wait gave up

    std::optional<long> rssBeforeKib;  // before the first player
    std::optional<long> rssPlayingKib; // all players playing
    long peakRssKib = 0;
    CLatencySamples setupMs;
    CLatencySamples stopCallMs;
    CLatencySamples stopToFreedMs;
    int fdsBefore = 0;
    int fdsAfter = 0;
    int threadsBefore = 0;
    int threadsAfter = 0;

private:
    StreamFigures Total() const;
    std::optional<double> RssPerPlayerKib() const;
    void WriteTotals(CJsonWriter& json) const;
    void WriteStream(CJsonWriter& json, const StreamResult& stream) const;
};
