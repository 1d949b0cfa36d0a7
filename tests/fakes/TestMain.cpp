// The entry point of every test program. A Windows host starts Winsock before its first socket
// call; the tests open sockets of their own before InitStreamClientLib, or without it.
#include "platform/platform.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
