#pragma once

#include "PlayerBook.h"
#include "SoakActions.h"

#include <atomic>
#include <random>
#include <string>

class CCallMonitor;
class CSoakServers;

// The host application of the soak: threads that call random exports on random player ids,
// and the callbacks, which check what the library hands them and now and then call exports
// themselves (the data callback even stops its own player, as the interface allows).
class CSoakHost {
public:
    static constexpr int kThreads = 8;
    // Players alive at once, at most: enough to share the slots and ports, few enough for a
    // small machine to encode and decode their streams.
    static constexpr int kMaxPlayers = 40;

    CSoakHost(CCallMonitor& monitor, const CSoakServers& servers, const std::string& grabDir);
    ~CSoakHost();
    CSoakHost(const CSoakHost&) = delete;
    CSoakHost& operator=(const CSoakHost&) = delete;

    // Uses every id once and plays a stream of each transport to a snapshot, so that what the
    // library, the decoder and the simulator set up once exists before levels are compared.
    void WarmUp(const std::string& url);
    // Runs the host threads for the given time and waits for them. False when a call hung and
    // its thread cannot be waited for.
    bool Run(int seconds);
    void DestroyAll();
    // Waits until no callback runs in the host, so that what they wrote happens before the
    // host is freed. False when one still runs after the grace time.
    bool WaitForCallbacks();
    // Hands the callback counts to the monitor for the summary.
    void CountCallbacks();

private:
    struct Action {
        int weight;
        bool creates;
        int (CSoakActions::*run)(const ExportSet& e, int id, std::mt19937& random);
    };

    static void STREAMCLIENT_CALL OnData(int id, void* user, int type, const unsigned char* data, int length);
    static void STREAMCLIENT_CALL OnMessage(int id, int code, int param1, int param2);
    static std::mt19937& Random();
    static const ExportSet& RandomSet(std::mt19937& random);

    void HostLoop();
    const Action& ChooseAction(std::mt19937& random) const;
    int ChooseId(std::mt19937& random) const;
    void DataArrived(int id, void* user, int type, const unsigned char* data, int length);
    void MessageArrived(int id, int code, int param1, int param2);
    void CallFromData(int id, std::mt19937& random);

    // The host whose callbacks run; the library's threads read it.
    static std::atomic<CSoakHost*> running;
    // Callbacks entered and not yet returned, on any of the library's threads.
    static std::atomic<int> callbacksRunning;

    CCallMonitor& monitor;
    CPlayerBook book;
    CSoakActions actions;
    std::atomic<bool> stopping{false};
    std::atomic<int> finished{0};
    std::atomic<long> headers{0};
    std::atomic<long> media{0};
    std::atomic<long> dataCalls{0};
};
