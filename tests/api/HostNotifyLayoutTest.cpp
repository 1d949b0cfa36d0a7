// A host built with another compiler knows CStreamNotify only by its table of virtual
// functions: OnTimestamp, OnSetupResult and OnDisconnect must be its 1st, 2nd and 14th entries.
#include "streamclient.h"

#include <gtest/gtest.h>

namespace {

int lastCall;

template <int Index>
void Called(void*)
{
    lastCall = Index;
}

// An object laid out as the host's compiler lays it out: a pointer to a table of 14 functions.
struct HostObject {
    void (*const* table)(void*);
};

void (*const kTable[14])(void*) = {Called<1>, Called<2>,  Called<3>,  Called<4>,  Called<5>,
                                   Called<6>, Called<7>,  Called<8>,  Called<9>,  Called<10>,
                                   Called<11>, Called<12>, Called<13>, Called<14>};

} // namespace

// The object has no run-time type information behind its table, which the vptr check would read.
__attribute__((no_sanitize("vptr"))) void CallThroughHeader(CStreamNotify* notify, int slot)
{
    if (slot == 1)
        notify->OnTimestamp(5);
    else if (slot == 2)
        notify->OnSetupResult(1);
    else
        notify->OnDisconnect();
}

TEST(HostNotifyLayout, CallsLandInSlotsOneTwoAndFourteen)
{
    HostObject host{kTable};
    for (int slot : {1, 2, 14}) {
        CallThroughHeader(reinterpret_cast<CStreamNotify*>(&host), slot);
        EXPECT_EQ(slot, lastCall);
    }
}
