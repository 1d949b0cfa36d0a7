#include "fakes/DebugCapture.h"
#include "fakes/LoopbackSocket.h"
#include "platform/LockGuard.h"
#include "platform/platform.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A connected pair of loopback UDP sockets: a sends to b.
struct UdpPair {
    SOCKET a = 0, b = 0;
    UdpPair()
    {
        a = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        b = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(b, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(b, reinterpret_cast<sockaddr*>(&address), &length);
        connect(a, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~UdpPair()
    {
        closesocket(a);
        closesocket(b);
    }
};

} // namespace

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
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    section.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered) << "entered while the owner still held it once";
    section.Leave();
    other.join();
    EXPECT_TRUE(entered);
}

TEST(Threads, BeginThreadRunsTheFunctionDetached)
{
    static std::atomic<int> ran{0};
    auto run = [](void* value) { ran = *static_cast<int*>(value); };
    int value = 42;
    ASSERT_NE(static_cast<uintptr_t>(-1), _beginthread(run, 0, &value));
    for (int i = 0; i < 200 && ran == 0; ++i)
        Sleep(5);
    EXPECT_EQ(42, ran);
}

TEST(Ticks, CountMillisecondsLikeTheSleepsBetweenThem)
{
    DWORD before = GetTickCount();
    Sleep(120);
    DWORD elapsed = GetTickCount() - before;
    // Windows advances the counter once per timer tick, so it may read up to a tick short.
    const DWORD kTimerTickMs = 16;
    EXPECT_GE(elapsed, 120u - kTimerTickMs);
    EXPECT_LT(elapsed, 1000u);
}

TEST(DebugOutput, HookCapturesTheTextUnchanged)
{
    CDebugCapture capture;
    DebugOutput("zrk--------client line one\n");
    DebugOutput("no line end");
    EXPECT_EQ((std::vector<std::string>{"zrk--------client line one\n", "no line end"}), capture.Lines());
}

TEST(Sockets, WaitSeesDataAndTimesOut)
{
    UdpPair pair;
    EXPECT_EQ(0, WaitSocket(pair.b, SocketWait::Readable, 20));
    EXPECT_EQ(1, WaitSocket(pair.a, SocketWait::Writable, 20));
    ASSERT_EQ(3, SendSocket(pair.a, "abc", 3));
    EXPECT_EQ(1, WaitSocket(pair.b, SocketWait::Readable, 1000));
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
    closesocket(s);
}

TEST(Sockets, DatagramToAClosedPortLeavesTheSenderQuiet)
{
    // Winsock reports the port-unreachable answer as an error on the next receive unless told
    // not to; the receive thread would take that for traffic.
    int closedPort = CLoopbackSocket::FreePort(SOCK_DGRAM);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(closedPort));
    to.sin_addr.s_addr = CLoopbackSocket::Address();
    SOCKET s = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_EQ(1, sendto(s, "x", 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to));
    EXPECT_EQ(0, WaitSocket(s, SocketWait::Readable, 200));
    closesocket(s);
}

TEST(Sockets, DatagramLongerThanTheBufferIsRefusedAndTheNextArrives)
{
    UdpPair pair;
    ASSERT_EQ(5, SendSocket(pair.a, "12345", 5));
    ASSERT_EQ(2, SendSocket(pair.a, "ab", 2));
    char buffer[4];
    ASSERT_EQ(1, WaitSocket(pair.b, SocketWait::Readable, 1000));
    EXPECT_EQ(-1, ReceiveDatagram(pair.b, buffer, sizeof buffer));
    ASSERT_EQ(1, WaitSocket(pair.b, SocketWait::Readable, 1000));
    EXPECT_EQ(2, ReceiveDatagram(pair.b, buffer, sizeof buffer));
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

TEST(Sockets, ConnectRefusesTheUnreadableAddressUnsent)
{
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
    EXPECT_EQ(-1, StartConnect(s, inet_addr("camera.local"), 554));
    closesocket(s);
}
