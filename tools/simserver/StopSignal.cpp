#include "StopSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t signalled = 0;

void OnSignal(int)
{
    signalled = 1;
}

} // namespace

void CatchStopSignals()
{
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}

bool StopSignalled()
{
    return signalled != 0;
}
