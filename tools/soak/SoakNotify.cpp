#include "SoakNotify.h"

#include "CallMonitor.h"

#include <string>

void CSoakNotify::OnTimestamp(int)
{
    Called("OnTimestamp", true);
}

void CSoakNotify::OnSetupResult(int ok)
{
    Called(ok == 1 ? "OnSetupResult(1)" : ok == 0 ? "OnSetupResult(0)" : "OnSetupResult(other than 1 or 0)",
           ok == 1 || ok == 0);
}

void CSoakNotify::OnDisconnect()
{
    Called("OnDisconnect", true);
}

void CSoakNotify::Called(const char* what, bool documented)
{
    CCallMonitor& observer = monitor;
    bool late = retired.load(std::memory_order_acquire);
    // The object is not touched after this: the monitor's lock, taken next, orders this call
    // before the object is freed at the end of the soak.
    observer.Count(std::string("notify: ") + what);
    if (late)
        observer.Fail(std::string("CStreamNotify::") + what + " called after its player was stopped or destroyed");
    if (!documented)
        observer.Fail(std::string("CStreamNotify::") + what + ": documented 1 or 0");
}
