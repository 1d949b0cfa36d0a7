#pragma once

#include "streamclient.h"

#include <atomic>

class CCallMonitor;

// The notification object of one player. The host must keep it alive until its player is
// stopped or destroyed, and no longer: the soak retires it then instead of freeing it, and a
// call into a retired object is what would have run on freed memory.
class CSoakNotify : public CStreamNotify {
public:
    explicit CSoakNotify(CCallMonitor& monitor) : monitor(monitor) {}

    void OnTimestamp(int timestamp) override;
    void OnSetupResult(int ok) override;
    void OnDisconnect() override;

    void Retire() { retired.store(true, std::memory_order_release); }

private:
    void Called(const char* what, bool documented);

    CCallMonitor& monitor;
    std::atomic<bool> retired{false};
};
