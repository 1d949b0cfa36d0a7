// A host built with another compiler knows CStreamNotify only by its table of virtual
// functions: OnTimestamp, OnSetupResult and OnDisconnect must be its 1st, 2nd and 14th entries.
#include "streamclient.h"

#include <gtest/gtest.h>

namespace {

int lastCall;

struct HostSlots {
    static void Slot(int index) { lastCall = index; }
};

template <int Index>
void Called(void*)
{
    HostSlots::Slot(Index);
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
__attribute__((no_sanitize("vptr"))) void CallThroughHeader(CStreamNotify* notify, int step)
{
    if (step == 1)
        notify->OnTimestamp(5);
    else if (step == 2)
        notify->OnSetupResult(1);
    else
        notify->OnDisconnect();
}

TEST(HostNotifyLayout, CallsLandInSlotsOneTwoAndFourteen)
{
    HostObject host{kTable};
    CStreamNotify* notify = reinterpret_cast<CStreamNotify*>(&host);
    CallThroughHeader(notify, 1);
    EXPECT_EQ(1, lastCall);
    CallThroughHeader(notify, 2);
    EXPECT_EQ(2, lastCall);
    CallThroughHeader(notify, 14);
    EXPECT_EQ(14, lastCall);
}
