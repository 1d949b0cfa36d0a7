#pragma once

#include "SoakNotify.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

class CCallMonitor;

// What the soak believes about each player id: whether it holds a player (to aim most calls at
// live players), the notification object the player was given, and the user value its streams
// must carry back. Threads race, so the belief can be briefly wrong; it only steers choices,
// except for retiring notification objects, which is exact (see Ended).
class CPlayerBook {
public:
    static constexpr int kIds = 100;

    explicit CPlayerBook(CCallMonitor& monitor) : monitor(monitor) {}
    ~CPlayerBook();
    CPlayerBook(const CPlayerBook&) = delete;
    CPlayerBook& operator=(const CPlayerBook&) = delete;

    // A notification object for a new player; all live until the book goes.
    CSoakNotify* NewNotify();
    void Created(int id, CSoakNotify* notify);
    // Read before Stop or Destroy, handed to Ended after it: whatever player the id held in
    // between, the player with this object was gone by then.
    CSoakNotify* NotifyOf(int id) const;
    void Ended(int id, CSoakNotify* notifyBefore);

    int LiveCount() const;
    // A random id believed to hold a player; -1 when there is none.
    int RandomLiveId(std::mt19937& random) const;

    // The user value given to OpenURL on the id: data callbacks must bring it back.
    void* UserValue(int id);

private:
    static bool InRange(int id) { return id >= 0 && id < kIds; }

    CCallMonitor& monitor;
    std::atomic<bool> live[kIds] = {};
    std::atomic<CSoakNotify*> notifies[kIds] = {};
    char userValues[kIds] = {};
    // Also orders every retirement, made on whatever thread stopped a player, before the
    // objects are freed.
    std::mutex ownedLock;
    std::vector<std::unique_ptr<CSoakNotify>> owned;
};
