// The soak: for a given time, host threads call every export of the library at random on
// random player ids, against simulators that misbehave in every way the library must survive.
// It fails (exit status 1) on a result or callback the interface does not document, on a call
// that waits longer than the library's documented waits allow (a deadlock), and on descriptors,
// threads or heap left over once every player is destroyed. Sanitizer builds add their own
// reports. Linux only: it reads /proc and glibc's allocator statistics.
//
//   streamclient-soak [SECONDS]      (600 by default)
#include "CallMonitor.h"
#include "ResourceLevels.h"
#include "SoakHost.h"
#include "SoakServers.h"
#include "platform/platform.h"
#include "streamclient.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const int kDefaultSeconds = 600;
// Threads that free themselves after the last Destroy: a keep-alive in flight may wait 3 s to
// send and 8 s for its reply, and a simulator answering 9 s late notices the closed connection
// at its second reply.
const auto kSettle = std::chrono::seconds(60);
const auto kSettlePoll = std::chrono::milliseconds(250);
// What the warm-up leaves to settle before the levels are taken.
const auto kWarmUpSettle = std::chrono::seconds(2);
// Heap growth allowed between the two levels: the soak's own tallies of results, events and
// debug lines, which gain entries as new ones are seen (about 20 KB). It holds where glibc's
// per-thread caches are off (scripts/soak sees to it): they count as in use and hold more.
const long long kHeapSlackBytes = 64 * 1024;

CCallMonitor* debugMonitor = nullptr;

// Counts the library's debug lines instead of printing thousands of them.
void CountDebugLine(const char* text)
{
    std::string line(text);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    debugMonitor->Count("debug line: " + line);
}

bool ParseSeconds(int argc, char** argv, int& seconds)
{
    seconds = kDefaultSeconds;
    if (argc < 2)
        return true;
    char* end = nullptr;
    long value = std::strtol(argv[1], &end, 10);
    if (argc > 2 || *end != '\0' || value < 1 || value > 24 * 3600)
        return false;
    seconds = static_cast<int>(value);
    return true;
}

std::string MakeGrabDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/streamclient-soak-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

// Snapshot requests left pending may still write their files until the streams end.
void RemoveGrabDir(const std::string& path)
{
    DIR* directory = opendir(path.c_str());
    while (dirent* entry = directory ? readdir(directory) : nullptr)
        std::remove((path + "/" + entry->d_name).c_str());
    if (directory)
        closedir(directory);
    rmdir(path.c_str());
}

// Waits until the threads and descriptors are back to the levels before, or the time is up.
void Settle(const CResourceLevels& before)
{
    auto deadline = std::chrono::steady_clock::now() + kSettle;
    CResourceLevels now = CResourceLevels::Now();
    while ((now.descriptors > before.descriptors || now.threads > before.threads) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kSettlePoll);
        now = CResourceLevels::Now();
    }
}

void CompareLevels(CCallMonitor& monitor, const CResourceLevels& before, const CResourceLevels& after)
{
    std::printf("before: %s\nafter:  %s\n", before.Describe().c_str(), after.Describe().c_str());
    if (after.descriptors > before.descriptors)
        monitor.Fail(std::to_string(after.descriptors - before.descriptors) + " descriptors left over");
    if (after.threads > before.threads)
        monitor.Fail(std::to_string(after.threads - before.threads) + " threads left over");
    if (before.heapBytes >= 0 && after.heapBytes > before.heapBytes + kHeapSlackBytes)
        monitor.Fail(std::to_string(after.heapBytes - before.heapBytes) + " heap bytes left over (slack " +
                     std::to_string(kHeapSlackBytes) + ")");
}

// Warms up, takes the levels, runs the host threads, destroys every player and compares the
// levels once the library's threads have ended. False when a call hung.
bool Soak(CCallMonitor& monitor, const CSoakServers& servers, const std::string& grabDir, int seconds)
{
    std::unique_ptr<CSoakHost> host(new CSoakHost(monitor, servers, grabDir));
    host->WarmUp(servers.CleanLiveUrl());
    std::this_thread::sleep_for(kWarmUpSettle);
    CResourceLevels before = CResourceLevels::Now();
    monitor.StartWatchdog();
    auto start = std::chrono::steady_clock::now();
    if (!host->Run(seconds))
        return false;
    auto ran = std::chrono::steady_clock::now() - start;
    host->DestroyAll();
    monitor.StopWatchdog();
    Settle(before);
    host->CountCallbacks();
    // The library's threads end on their own, unseen by the host: the callbacks' count is what
    // orders their last writes before the host, and the notification objects, are freed.
    if (host->WaitForCallbacks())
        host.reset();
    else {
        monitor.Fail("a callback still runs after every player was destroyed; its host is left allocated");
        static_cast<void>(host.release());
    }
    CompareLevels(monitor, before, CResourceLevels::Now());
    std::printf("host threads ran %.1f s, their last calls included\n", std::chrono::duration<double>(ran).count());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 0;
    if (!ParseSeconds(argc, argv, seconds)) {
        std::fprintf(stderr, "usage: streamclient-soak [SECONDS]\n");
        return 2;
    }
    CResourceLevels::UseOneHeapArena();
    CCallMonitor monitor;
    debugMonitor = &monitor;
    SetDebugOutputHook(CountDebugLine);
    CSoakServers servers;
    std::string error;
    std::string grabDir = MakeGrabDir();
    if (InitStreamClientLib() != 0 || grabDir.empty() || !servers.Start(error)) {
        std::fprintf(stderr, "soak: cannot start: %s\n", error.empty() ? "library or temporary folder" : error.c_str());
        return 2;
    }
    std::printf("soak: %d s, %d host threads, up to %d players; servers:\n%s", seconds, CSoakHost::kThreads,
                CSoakHost::kMaxPlayers, servers.Describe().c_str());
    std::fflush(stdout);

    if (!Soak(monitor, servers, grabDir, seconds)) {
        monitor.PrintSummary(stdout);
        std::printf("soak: FAILED: a call hung; its thread is left behind\n");
        std::fflush(stdout);
        std::_Exit(1);
    }
    if (FiniStreamClientLib() != 0)
        monitor.Fail("FiniStreamClientLib did not return 0");
    monitor.PrintSummary(stdout);
    SetDebugOutputHook(nullptr);
    servers.Stop();
    RemoveGrabDir(grabDir);
    bool failed = monitor.Failed();
    std::printf("soak: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
