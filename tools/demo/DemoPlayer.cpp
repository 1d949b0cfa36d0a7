#include "DemoPlayer.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

// The simulator's camera commands: pan right by param1 steps; 71 zooms into a rectangle.
const int kPanRight = 4;

long long FileSize(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<long long>(file.tellg()) : -1;
}

// On a terminal each player's progress rewrites one line; once either output goes to a log,
// every step has a line of its own so that the log reads in order.
bool ProgressOnOneLine()
{
    static const bool terminal = isatty(fileno(stdout)) == 1 && isatty(fileno(stderr)) == 1;
    return terminal;
}

void Progress(const std::string& name, const std::string& what, const char* state, bool endLine)
{
    bool oneLine = ProgressOnOneLine();
    fprintf(stderr, "%s%-10s %-48s %s%s", oneLine ? "\r" : "", name.c_str(), what.c_str(), state,
            endLine || !oneLine ? "\n" : "");
}

} // namespace

CDemoPlayer::CDemoPlayer(const std::string& playerName, const std::string& streamUrl, bool overUdp,
                         const std::string& directory, HWND playerWindow)
    : name(playerName), url(streamUrl), udp(overUdp), snapshotDir(directory), window(playerWindow)
{
}

void CDemoPlayer::OnTimestamp(int timestamp)
{
    streamTime = timestamp;
}

void CDemoPlayer::OnSetupResult(int ok)
{
    setupResult = ok;
}

void CDemoPlayer::OnDisconnect()
{
    fprintf(stderr, "\n%s: the server stopped answering keep-alives\n", name.c_str());
}

void STREAMCLIENT_CALL CDemoPlayer::OnData(int, void* user, int dataType, const unsigned char*, int length)
{
    CDemoPlayer* self = static_cast<CDemoPlayer*>(user);
    if (dataType == STREAM_DATA_HEADER) {
        self->headerLength = length;
        return;
    }
    ++self->chunks;
    self->bytes += length;
}

bool CDemoPlayer::Step(const std::string& what, bool done)
{
    Progress(name, what, done ? "ok    " : "FAILED", !done);
    if (!done)
        failures.push_back(name + ": " + what);
    return done;
}

void CDemoPlayer::Wait(int milliseconds, const char* why)
{
    Progress(name, why, "...   ", false);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool CDemoPlayer::Snapshot(int format, const std::string& path)
{
    std::remove(path.c_str());
    bool written = StreamClient_GrabPic(id, path.c_str(), format) == 0 && FileSize(path) > 0;
    if (written)
        snapshots.push_back(path);
    return written;
}

bool CDemoPlayer::Open()
{
    id = StreamClient_CreatePlayer(this, window, OnData, nullptr, udp ? 1 : 0);
    if (!Step("create player", id >= 0))
        return false;
    bool opened = Step("open " + url, StreamClient_OpenURL(id, url.c_str(), this) == 1);
    Step("set-up reported to the host", setupResult == 1 && headerLength == 40);
    return opened && Step("play", StreamClient_Play(id) == 1);
}

void CDemoPlayer::Live()
{
    int values[4] = {-1, -1, -1, -1};
    Step("read picture parameters", StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]) == 0);
    Step("set picture parameters", StreamClient_SetVideoParams(id, 170, 140, 90, 128) == 0);
    Step("read them back",
         StreamClient_GetVideoParams(id, &values[0], &values[1], &values[2], &values[3]) == 0 && values[0] == 170 &&
             values[1] == 140 && values[2] == 90 && values[3] == 128);
    Step("pan right", StreamClient_PTZControl(id, kPanRight, 2, 0, 0, 0) == 0);
    const int area[4] = {160, 90, 480, 270};
    Step("zoom into an area", StreamClient_PTZSelZoomIn(id, area));
    Wait(1500, "watching the live picture");
}

void CDemoPlayer::Recorded()
{
    Step("seek to second 30", StreamClient_RandomPlay(id, 30) == 1);
    Wait(1500, "playing from second 30");
    Step("snapshot after the seek (BMP)", Snapshot(0, snapshotDir + "/" + name + "-second30.bmp"));
    Step("twice as fast", StreamClient_ChangeRate(id, 2) == 0);
    Wait(1000, "playing fast");
    Step("back to normal speed", StreamClient_ChangeRate(id, 0) == 0);
    Step("pause", StreamClient_Pause(id) == 1);
    Wait(500, "paused");
    Step("resume", StreamClient_Resume(id) == 1);
    Wait(1000, "playing again");
}

bool CDemoPlayer::Run()
{
    if (Open()) {
        Wait(2000, "receiving");
        Step("media arriving", chunks > 0);
        if (url.find("/av_stream") != std::string::npos)
            Live();
        else
            Recorded();
        Step("current time", StreamClient_GetCurTime(id, &playedSeconds) == 0);
        Step("snapshot (BMP)", Snapshot(0, snapshotDir + "/" + name + ".bmp"));
        Step("snapshot (JPEG)", Snapshot(1, snapshotDir + "/" + name + ".jpg"));
    }
    if (id >= 0)
        Step("stop", StreamClient_Stop(id) == 0);
    if (ProgressOnOneLine())
        fprintf(stderr, "\n");
    return failures.empty();
}

std::string CDemoPlayer::ReportLine() const
{
    char line[512];
    snprintf(line, sizeof line, "%-10s %-4s set-up %-3s stream time %-11d played %4u s  %7lld chunks %10lld bytes",
             name.c_str(), udp ? "UDP" : "TCP", setupResult == 1 ? "ok" : "no", streamTime.load(), playedSeconds,
             chunks.load(), bytes.load());
    std::string text = line;
    for (const std::string& snapshot : snapshots)
        text += "\n           snapshot " + snapshot;
    return text;
}
