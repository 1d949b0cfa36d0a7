// Socket options in their Winsock form: time-outs as a DWORD of milliseconds, linger as u_shorts.
#include "platform/platform.h"

#include <gtest/gtest.h>

TEST(Sockets, TimeoutsAreMillisecondsAndLingerIsOn)
{
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(0, SetSocketTimeout(s, SO_RCVTIMEO, 3000));
    DWORD value = 0;
    int length = sizeof value;
    getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&value), &length);
    EXPECT_EQ(3000u, value);
    ASSERT_EQ(0, SetSocketLinger(s, 5));
    linger lingerValue{};
    length = sizeof lingerValue;
    getsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&lingerValue), &length);
    EXPECT_EQ(1, lingerValue.l_onoff);
    EXPECT_EQ(5, lingerValue.l_linger);
    closesocket(s);
}
