// What only the POSIX side of the platform layer has to take care of: descriptor 0 and
// descriptors above select's limit.
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
