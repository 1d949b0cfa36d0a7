#include "fakes/DebugCapture.h"
#include "player/VaroPlayer.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

HWND Window(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}

void STREAMCLIENT_CALL OtherCallBack(int, void*, int, const unsigned char*, int) {}

} // namespace

TEST(VaroPlayer, WithoutASourceEveryOperationRefusesAndChangesNothing)
{
    CVaroPlayer player(3);
    ASSERT_EQ(0, player.Configure(Window(0x10), nullptr, nullptr, nullptr, 1));
    int values[4] = {};
    unsigned time = 9;
    unsigned char header[8];
    const std::function<int()> operations[] = {
        [&] { return player.Pause(); },
        [&] { return player.Resume(); },
        [&] { return player.RandomPlay(1); },
        [&] { return player.ChangeRate(2); },
        [&] { return player.GetCurTime(&time); },
        [&] { return player.SetVolume(1); },
        [&] { return player.ThrowBFrameNum(1); },
        [&] { return player.OpenSound(1); },
        [&] { return player.CloseSound(); },
        [&] { return player.GetHeader(header, sizeof header); },
        [&] { return player.RefreshPlay(); },
        [&] { return player.GetPlayPort(); },
        [&] { return player.SetDDrawDevice(0); },
        [&] { return player.InitDDrawDevice(); },
        [&] { return player.GetVideoParams(&values[0], &values[1], &values[2], &values[3]); },
        [&] { return player.SetVideoParams(1, 2, 3, 4); },
        [&] { return player.PTZControl(71, 1, 2, 3, 4); },
        [&] { return player.ResetWndHandle(Window(0x20)); },
        [&] { return player.ResetDataCallBack(OtherCallBack); },
        [&] { return player.Stop(); },
        [&] { return player.Destroy(); },
    };
    CDebugCapture capture;
    for (const auto& operation : operations)
        EXPECT_EQ(-1, operation());
    player.ReleaseDDrawDevice();
    EXPECT_TRUE(capture.Lines().empty()) << "only Begin writes a line";
    EXPECT_EQ(9u, time);
    EXPECT_EQ(Window(0x10), player.GetWndHandle()) << "the window changes only when there is a source";
}

TEST(VaroPlayer, BeginOutsideTheOpenedStateWritesItsLine)
{
    CVaroPlayer player(0);
    CDebugCapture capture;
    EXPECT_EQ(-1, player.Begin());
    EXPECT_EQ(std::vector<std::string>{"zrk--------client CVaroPlayer Begin failed 1\n"}, capture.Lines());
}

TEST(VaroPlayer, UrlsThatCannotBeStreamedMakeNoSource)
{
    CVaroPlayer player(0);
    const std::string path1024 = "rtsp://127.0.0.1/" + std::string(1023, 'a');
    for (const char* url : {"http://127.0.0.1/x", "file://127.0.0.1/x", "127.0.0.1/x", path1024.c_str()}) {
        EXPECT_EQ(-1, player.OpenURL(url, nullptr)) << url;
        EXPECT_EQ(-1, player.Destroy()) << url << ": a source was left behind";
    }
    EXPECT_EQ(-1, player.OpenURL(nullptr, nullptr));
}
