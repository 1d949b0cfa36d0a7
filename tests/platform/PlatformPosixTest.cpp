// What only the POSIX side of the platform layer has to take care of: descriptor 0, descriptors
// above select's limit, and time-outs and flags in their POSIX form.
#include "platform/platform.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

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

TEST(Sockets, WaitWorksAboveDescriptor1023)
{
    int fds[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_DGRAM, 0, fds));
    ASSERT_EQ(1, SendSocket(fds[0], "x", 1));
    // select() cannot watch descriptors of 1024 and above; hosts with many files have them.
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_max < 2048)
        GTEST_SKIP() << "descriptor limit too low";
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, 2048);
    setrlimit(RLIMIT_NOFILE, &limit);
    int high = dup2(fds[1], 2000);
    ASSERT_EQ(2000, high);
    EXPECT_EQ(1, WaitSocket(high, SocketWait::Readable, 1000));
    close(high);
    close(fds[0]);
    close(fds[1]);
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
    closesocket(s);
}
