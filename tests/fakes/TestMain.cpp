// The entry point of every test program. A Windows host starts Winsock before its first socket
// call; the tests open sockets of their own before InitStreamClientLib, or without it.
#include "platform/LibraryWaits.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {
// Every test runs with the library's waits for silence shortened; the few tests of a wait's
// length put the shipped lengths back first (CLibraryWaits::Restore). The keep-alive cadence
// stays as shipped: a keep-alive inside a scripted exchange would take another request's reply.
class ShortWaits : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        CLibraryWaits::Set(CLibraryWaits::Reply, 1500);
        CLibraryWaits::Set(CLibraryWaits::Send, 1000);
        CLibraryWaits::Set(CLibraryWaits::Connect, 1000);
        CLibraryWaits::Set(CLibraryWaits::SocketTimeout, 1000);
        CLibraryWaits::Set(CLibraryWaits::SnapshotStep, 20);
    }
    void OnTestEnd(const testing::TestInfo&) override { CLibraryWaits::Restore(); }
};
} // namespace

int main(int argc, char** argv)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ShortWaits);
    return RUN_ALL_TESTS();
}
