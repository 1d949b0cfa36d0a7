#pragma once

#include "StreamCounter.h"
#include "streamclient.h"

#include <atomic>
#include <optional>
#include <string>

// How the end of one player went: the Stop call, and the time from its return until the
// stream's receive thread had ended, which it does right after freeing the transport.
struct StopTiming {
    bool stopped = false;     // Stop returned 0
    double callMs = 0;
    bool threadKnown = false; // a chunk arrived and told which thread receives
    std::optional<double> freedMs; // none when the thread is unknown or outlived the wait
};

// One player of the load, seen from the host's side: its data callback counts what arrives and
// notes the receive thread, and each step through the library's exports is timed.
class CLoadPlayer : public CStreamNotify {
public:
    explicit CLoadPlayer(bool udp) : overUdp(udp), counter(udp) {}

    // False when the library gives no player.
    bool Create(HWND window);
    // The time OpenURL took; none when it failed (the player is destroyed then).
    std::optional<double> Open(const std::string& url);
    bool Play();
    // Stops the player; it is gone afterwards whatever Stop returned.
    StopTiming Stop();

    int Id() const { return id; }
    const CStreamCounter& Counter() const { return counter; }

private:
    static void STREAMCLIENT_CALL OnData(int playerId, void* user, int dataType, const unsigned char* data, int length);
    std::optional<double> WaitForThreadEnd(long threadId) const;

    bool overUdp;
    int id = -1;
    CStreamCounter counter;
    std::atomic<long> receiveThread{0};
};
