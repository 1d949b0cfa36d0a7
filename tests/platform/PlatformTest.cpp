#include "fakes/DebugCapture.h"
#include "platform/LockGuard.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

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
    EXPECT_GE(elapsed, 120u);
    EXPECT_LT(elapsed, 1000u);
}

TEST(DebugOutput, HookCapturesTheTextUnchanged)
{
    CDebugCapture capture;
    DebugOutput("zrk--------client line one\n");
    DebugOutput("no line end");
    EXPECT_EQ((std::vector<std::string>{"zrk--------client line one\n", "no line end"}), capture.Lines());
}

TEST(Sockets, DescriptorZeroIsNeverHandedOut)
{
    int savedStdin = dup(0);
    close(0);
    SOCKET s = OpenSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_GT(s, 0);
    // Descriptor 0 stays free for the restore below.
    EXPECT_EQ(0, dup2(savedStdin, 0));
    close(savedStdin);
    closesocket(s);
}

TEST(Sockets, WaitSeesDataTimesOutAndWorksAboveDescriptor1023)
{
    UdpPair pair;
    EXPECT_EQ(0, WaitSocket(pair.b, SocketWait::Readable, 20));
    EXPECT_EQ(1, WaitSocket(pair.a, SocketWait::Writable, 20));
    ASSERT_EQ(3, SendSocket(pair.a, "abc", 3));
    EXPECT_EQ(1, WaitSocket(pair.b, SocketWait::Readable, 1000));

    // select() cannot watch descriptors of 1024 and above; hosts with many files have them.
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_max < 2048)
        GTEST_SKIP() << "descriptor limit too low";
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, 2048);
    setrlimit(RLIMIT_NOFILE, &limit);
    int high = dup2(pair.b, 2000);
    ASSERT_EQ(2000, high);
    EXPECT_EQ(1, WaitSocket(high, SocketWait::Readable, 1000));
    close(high);
}

TEST(Sockets, SendToAGonePeerFailsWithoutSignal)
{
    int fds[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, fds));
    close(fds[1]);
    EXPECT_EQ(-1, SendSocket(fds[0], "x", 1));
    close(fds[0]);
}

TEST(Sockets, TimeoutsAreMillisecondsAndLingerIsOn)
{
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(0, SetSocketTimeout(s, SO_RCVTIMEO, 3000));
    timeval value{};
    socklen_t length = sizeof value;
    getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &value, &length);
    EXPECT_EQ(3, value.tv_sec);
    EXPECT_EQ(0, value.tv_usec);
    ASSERT_EQ(0, SetSocketLinger(s, 5));
    linger lingerValue{};
    length = sizeof lingerValue;
    getsockopt(s, SOL_SOCKET, SO_LINGER, &lingerValue, &length);
    EXPECT_EQ(1, lingerValue.l_onoff);
    EXPECT_EQ(5, lingerValue.l_linger);
    u_long on = 1;
    ASSERT_EQ(0, ioctlsocket(s, FIONBIO, &on));
    EXPECT_NE(0, fcntl(s, F_GETFL) & O_NONBLOCK);
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
