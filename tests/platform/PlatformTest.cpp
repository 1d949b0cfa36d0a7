#include "fakes/LoopbackSocket.h"
#include "platform/LockGuard.h"
#include "platform/WakeEvent.h"
#include "platform/platform.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(CriticalSection, IsReentrantForItsOwnerAndExcludesOthersUntilFullyLeft)
{
    CCriticalSection section;
    section.Enter();
    section.Enter();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        CLockGuard guard(section);
        entered = true;
    });
    Sleep(50);
    section.Leave();
    Sleep(50);
    EXPECT_FALSE(entered) << "entered while the owner still held it once";
    section.Leave();
    other.join();
    EXPECT_TRUE(entered);
}

// A Set from another thread ends the wait in progress; the next wait then ends at once only
// when the event was set for good.
TEST(WakeEvent, SetEndsTheWaitAndForGoodEveryLaterOne)
{
    const struct { CWakeEvent::Mode mode; bool laterWaitEndsAtOnce; } cases[] = {{CWakeEvent::Mode::ForGood, true},
                                                                                  {CWakeEvent::Mode::Once, false}};
    for (const auto& c : cases) {
        CWakeEvent event(c.mode);
        std::thread setter([&] {
            Sleep(20);
            event.Set();
        });
        DWORD before = GetTickCount();
        event.Wait(5000);
        EXPECT_LT(GetTickCount() - before, 1000u);
        setter.join();
        before = GetTickCount();
        event.Wait(300);
        DWORD later = GetTickCount() - before;
        EXPECT_EQ(later < 150, c.laterWaitEndsAtOnce) << later << " ms";
    }
}

// The wait is read on the tick counter, which counts milliseconds too.
TEST(Sockets, ReceiveTimeOutIsInMillisecondsAndLingerIsOn)
{
    CLoopbackSocket idle(SOCK_DGRAM);
    ASSERT_EQ(0, SetSocketTimeout(idle.Handle(), SO_RCVTIMEO, 200));
    char byte = 0;
    DWORD before = GetTickCount();
    EXPECT_EQ(-1, ReceiveDatagram(idle.Handle(), &byte, 1));
    EXPECT_TRUE(ReceiveTimedOut());
    DWORD waited = GetTickCount() - before;
    EXPECT_GE(waited, 200u - 16u); // Windows advances the counter once per 16 ms timer tick
    EXPECT_LT(waited, 1000u);
    // A datagram too long for the buffer, right after, is refused but not as a time-out: the
    // receive loop pauses after it instead of waiting for data that is already there.
    CLoopbackSocket sender(SOCK_DGRAM);
    ASSERT_EQ(2, sender.SendTo(idle.Port(), "ab"));
    EXPECT_EQ(-1, ReceiveDatagram(idle.Handle(), &byte, 1));
    EXPECT_FALSE(ReceiveTimedOut());
    CLoopbackSocket stream(SOCK_STREAM);
    ASSERT_EQ(0, SetSocketLinger(stream.Handle(), 5));
    linger value{};
    socklen_t length = sizeof value;
    getsockopt(stream.Handle(), SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&value), &length);
    EXPECT_EQ(1, value.l_onoff);
    EXPECT_EQ(5, value.l_linger);
}

TEST(Sockets, WaitForAConnectionSeesItRefused)
{
    CLoopbackSocket refusing(SOCK_STREAM); // bound, never listening
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
    int started = StartConnect(s, CLoopbackSocket::Address(), static_cast<unsigned short>(refusing.Port()));
    if (started == 1) {
        EXPECT_EQ(1, WaitSocket(s, SocketWait::Writable, 3000)) << "a refused connect must end the wait";
        EXPECT_NE(0, PendingSocketError(s));
    } else {
        EXPECT_EQ(-1, started);
    }
    // An address inet_addr could not read is refused before anything is sent.
    EXPECT_EQ(-1, StartConnect(s, inet_addr("camera.local"), 554));
    closesocket(s);
}

TEST(Sockets, DatagramToAClosedPortLeavesTheSenderQuiet)
{
    // Winsock reports the port-unreachable answer as an error on the next receive unless told
    // not to; the receive thread would take that for traffic.
    CLoopbackSocket sender(SOCK_DGRAM);
    ASSERT_EQ(1, sender.SendTo(CLoopbackSocket::FreePort(SOCK_DGRAM), "x"));
    EXPECT_EQ(0, WaitSocket(sender.Handle(), SocketWait::Readable, 200));
}

TEST(Sockets, SendToAGonePeerFailsWithoutSignal)
{
    CLoopbackSocket listener(SOCK_STREAM);
    listener.Listen(1);
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(0, StartConnect(s, CLoopbackSocket::Address(), static_cast<unsigned short>(listener.Port())));
    closesocket(listener.AcceptOne());
    // The first sends may still be taken: the peer's reset comes back after them.
    int sent = 0;
    for (int i = 0; i < 100 && sent != -1; ++i) {
        sent = SendSocket(s, "x", 1);
        Sleep(5);
    }
    EXPECT_EQ(-1, sent);
    closesocket(s);
}
