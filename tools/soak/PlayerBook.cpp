#include "PlayerBook.h"

CPlayerBook::~CPlayerBook()
{
    std::lock_guard<std::mutex> guard(ownedLock);
    owned.clear();
}

CSoakNotify* CPlayerBook::NewNotify()
{
    std::lock_guard<std::mutex> guard(ownedLock);
    owned.emplace_back(new CSoakNotify(monitor));
    return owned.back().get();
}

void CPlayerBook::Created(int id, CSoakNotify* notify)
{
    if (!InRange(id))
        return;
    notifies[id].store(notify, std::memory_order_release);
    live[id].store(true, std::memory_order_release);
}

CSoakNotify* CPlayerBook::NotifyOf(int id) const
{
    return InRange(id) ? notifies[id].load(std::memory_order_acquire) : nullptr;
}

void CPlayerBook::Ended(int id, CSoakNotify* notifyBefore)
{
    if (!InRange(id))
        return;
    if (notifyBefore) {
        std::lock_guard<std::mutex> guard(ownedLock);
        notifyBefore->Retire();
    }
    live[id].store(false, std::memory_order_release);
}

int CPlayerBook::LiveCount() const
{
    int count = 0;
    for (const std::atomic<bool>& flag : live)
        count += flag.load(std::memory_order_acquire) ? 1 : 0;
    return count;
}

int CPlayerBook::RandomLiveId(std::mt19937& random) const
{
    int start = static_cast<int>(random() % kIds);
    for (int step = 0; step < kIds; ++step) {
        int id = (start + step) % kIds;
        if (live[id].load(std::memory_order_acquire))
            return id;
    }
    return -1;
}

void* CPlayerBook::UserValue(int id)
{
    return InRange(id) ? &userValues[id] : nullptr;
}
