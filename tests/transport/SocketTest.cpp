#include "fakes/LoopbackSocket.h"
#include "platform/LibraryWaits.h"
#include "transport/RtpTransport.h"
#include "transport/TcpSocket.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

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
    const struct {
        int kind;
        bool opens, hasHandle;
    } cases[] = {{TransportUdp, true, true}, {TransportTcp, true, true}, {TransportNone, true, false}, {3, false, false}};
    for (const auto& c : cases) {
        CRtpTransport transport(c.kind);
        ASSERT_EQ(c.opens ? 0 : -1, transport.Open(0, 9, CLoopbackSocket::Address())) << c.kind;
        CSocket* socket = transport.GetSocket();
        if (!c.opens) {
            EXPECT_EQ(nullptr, socket);
            continue;
        }
        EXPECT_EQ(c.kind, socket->GetType());
        EXPECT_EQ(c.hasHandle, socket->GetHandle() != 0) << c.kind;
        transport.Close();
        EXPECT_EQ(nullptr, transport.GetSocket());
    }
}

TEST(TcpSocket, ConnectsFromItsClientPortOrFromAnotherOneWhenThatIsTaken)
{
    CLoopbackSocket server(SOCK_STREAM);
    server.Listen(4);
    CLoopbackSocket holder(SOCK_STREAM);
    holder.Listen(1);
    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "port taken" : "port free");
        int port = taken ? holder.Port() : CLoopbackSocket::FreePort(SOCK_STREAM);
        CTcpSocket socket;
        ASSERT_EQ(0, socket.Open(port, server.Port(), CLoopbackSocket::Address()));
        ASSERT_EQ(0, socket.Connect());
        SOCKET accepted = server.AcceptOne();
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        getpeername(accepted, reinterpret_cast<sockaddr*>(&peer), &length);
        EXPECT_EQ(!taken, ntohs(peer.sin_port) == port) << ntohs(peer.sin_port);
        closesocket(accepted);
    }
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
