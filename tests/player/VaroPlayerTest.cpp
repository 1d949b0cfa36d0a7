#include "api/PlayerRegistry.h"
#include "fakes/FakeRtspServer.h"
#include "fakes/LibraryStart.h"
#include "player/VaroPlayer.h"

#include <gtest/gtest.h>

namespace {

void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

// The library's own pools: the sources of the players here take their ports from them.
CPortPool& udpPorts = CPlayerRegistry::GetInstance()->UdpPorts();
CPortPool& tcpPorts = CPlayerRegistry::GetInstance()->TcpPorts();

} // namespace

TEST(VaroPlayer, UrlsThatCannotBeStreamedMakeNoSource)
{
    CVaroPlayer player(0, udpPorts, tcpPorts);
    const std::string path1024 = "rtsp://127.0.0.1/" + std::string(1023, 'a');
    for (const char* url : {"", "127.0.0.1/x", "http://127.0.0.1/x", "file://127.0.0.1/x", "RTSP://127.0.0.1/x",
                            "Rtsp://127.0.0.1/x", path1024.c_str()}) {
        EXPECT_EQ(-1, player.OpenURL(url, nullptr)) << url;
        EXPECT_EQ(-1, player.Destroy()) << url << ": a source was left behind";
    }
    EXPECT_EQ(-1, player.OpenURL(nullptr, nullptr));
}

// The source of a refused SETUP holds a client port until Stop or the next OpenURL lets it go.
TEST(VaroPlayer, SourceKeptFromAFailedOpenIsReleasedOnStopAndOnTheNextOpen)
{
    ASSERT_EQ(0, InitStreamClientLib());
    CFakeRtspServer server;
    for (bool stop : {true, false}) {
        server.Script({FakeReply::Text(ReplyText("454 Session Not Found", 1, {}))});
        CVaroPlayer player(0, udpPorts, tcpPorts);
        player.Configure(nullptr, nullptr, nullptr, IgnoreMessage, 1);
        ASSERT_EQ(-1, player.OpenURL(server.Url("/live/av_stream").c_str(), nullptr));
        EXPECT_EQ(99, FreeUdpPorts());
        EXPECT_EQ(-1, stop ? player.Stop() : player.OpenURL("http://127.0.0.1/x", nullptr));
        EXPECT_EQ(100, FreeUdpPorts()) << (stop ? "Stop" : "OpenURL");
    }
}
