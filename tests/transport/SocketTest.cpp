#include "fakes/LoopbackSocket.h"
#include "platform/LibraryWaits.h"
#include "transport/RtpTransport.h"
#include "transport/TcpSocket.h"
#include "transport/UdpSocket.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct KindCase {
    const char* name;
    int kind;
    int openResult;
    int type;
    bool hasHandle;
};

const KindCase kKindCases[] = {
    {"udp", TransportUdp, 0, TransportUdp, true},
    {"tcp, bound but not connected", TransportTcp, 0, TransportTcp, true},
    {"none", TransportNone, 0, TransportNone, false},
    {"unknown kind 3", 3, -1, 0, false},
    {"negative kind", -1, -1, 0, false},
};

// A non-blocking connect to the listener that has not completed after a moment.
bool ConnectStalls(SOCKET s, int port)
{
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int started = StartConnect(s, CLoopbackSocket::Address(), static_cast<unsigned short>(port));
    return started == 1 && WaitSocket(s, SocketWait::Writable, 200) == 0;
}

} // namespace

TEST(RtpTransport, OpensASocketOfItsKindOrNone)
{
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.name);
        CRtpTransport transport(c.kind);
        ASSERT_EQ(c.openResult, transport.Open(0, 9, CLoopbackSocket::Address()));
        CSocket* socket = transport.GetSocket();
        if (c.openResult != 0) {
            EXPECT_EQ(nullptr, socket);
            continue;
        }
        EXPECT_EQ(c.type, socket->GetType());
        EXPECT_EQ(c.hasHandle, socket->GetHandle() != 0);
        transport.Close();
        EXPECT_EQ(nullptr, transport.GetSocket());
    }
}

TEST(UdpSocket, OpenOnATakenPortFailsAndKeepsNoHandle)
{
    CLoopbackSocket holder(SOCK_DGRAM);
    CUdpSocket socket;
    EXPECT_EQ(-1, socket.Open(holder.Port(), 0, 0));
    EXPECT_EQ(0, socket.GetHandle());
}

TEST(TcpSocket, OpenOnATakenPortStillConnectsFromAnotherPort)
{
    CLoopbackSocket server(SOCK_STREAM);
    server.Listen(4);
    CLoopbackSocket holder(SOCK_STREAM);
    holder.Listen(1);
    CTcpSocket socket;
    ASSERT_EQ(0, socket.Open(holder.Port(), server.Port(), CLoopbackSocket::Address()));
    EXPECT_EQ(0, socket.Connect());
}

TEST(TcpSocket, ConnectToAServerThatNeverAcceptsGivesUpAfterFourSeconds)
{
    CLibraryWaits::Restore(); // the shipped length
    CLoopbackSocket server(SOCK_STREAM);
    server.Listen(0);
    // Fill the backlog until a further connect stays pending: then SYNs go unanswered.
    std::vector<std::unique_ptr<CLoopbackSocket>> fillers;
    do {
        fillers.push_back(std::make_unique<CLoopbackSocket>(SOCK_STREAM));
    } while (!ConnectStalls(fillers.back()->Handle(), server.Port()) && fillers.size() < 16);
    ASSERT_LT(fillers.size(), 16u) << "the listener's backlog never filled";

    CTcpSocket socket;
    ASSERT_EQ(0, socket.Open(0, server.Port(), CLoopbackSocket::Address()));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, socket.Connect());
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 4000 - 100);
    EXPECT_LT(waited.count(), 4000 + 1500);
}
