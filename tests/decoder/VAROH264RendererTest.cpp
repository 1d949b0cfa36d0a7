#include "decoder/VAROH264Renderer.h"
#include "fakes/DebugCapture.h"
#include "fakes/FakeLumodec.h"
#include "fakes/WaitUntil.h"
#include "platform/LibraryWaits.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Calls = std::vector<std::string>;

HWND Window(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}

const unsigned char kHeader[40] = {'L', 'U', 'M', 'O', 1};

class Renderer : public ::testing::Test {
protected:
    void SetUp() override { CFakeLumodec::Reset(); }

    // Initialised with window 0x50 and a real-time decoder stream open on port 0.
    void MakeReady()
    {
        ASSERT_EQ(0, renderer.Init(105, Window(0x50), false));
        ASSERT_EQ(0, renderer.OpenStream(kHeader, sizeof kHeader));
        ASSERT_EQ((Calls{"Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,0)", "Lumo_OpenStream(0,40,1310720)"}),
                  CFakeLumodec::Calls());
        CFakeLumodec::ClearCalls();
    }

    CVAROH264Renderer renderer;
};

} // namespace

TEST_F(Renderer, RefusesToOpenWithoutInitOrWithAnOversizedHeader)
{
    unsigned char big[41] = {};
    EXPECT_EQ(-1, renderer.OpenStream(kHeader, sizeof kHeader)) << "before Init";
    EXPECT_EQ(-1, renderer.Init(-1, Window(0x50), false));
    EXPECT_EQ(-1, renderer.OpenStream(kHeader, sizeof kHeader)) << "Init(-1) changed nothing";
    ASSERT_EQ(0, renderer.Init(0, Window(0x50), false));
    EXPECT_EQ(-1, renderer.OpenStream(big, sizeof big));
    EXPECT_EQ(-1, renderer.OpenStream(kHeader, -1));
    EXPECT_TRUE(CFakeLumodec::Calls().empty());

    CFakeLumodec::Refuse("Lumo_OpenStream");
    EXPECT_EQ(-1, renderer.OpenStream(kHeader, sizeof kHeader));
    EXPECT_EQ(0, renderer.GetPort()) << "a refused open keeps its port";
    CFakeLumodec::ClearCalls();
    renderer.Close();
    EXPECT_EQ((Calls{"Lumo_CloseStream(0)", "Lumo_FreePort(0)"}), CFakeLumodec::Calls());
    EXPECT_EQ(-1, renderer.GetPort());
}

// The play state, the sound mode and the window decide what reaches the library; a new window
// reopens the stream in file mode.
TEST_F(Renderer, StateDecidesWhatReachesTheLibrary)
{
    MakeReady();
    unsigned time = 77;
    CFakeLumodec::SetPlayedTime(1000);
    const struct { const char* step; std::function<int()> call; int result; Calls calls; } steps[] = {
        {"pause while stopped", [&] { return renderer.Pause(); }, -1, {}},
        {"time while stopped", [&] { return renderer.GetPlayedTime(&time); }, 0, {}},
        {"volume while stopped", [&] { return renderer.SetVolume(5); }, 0, {}},
        {"play", [&] { return renderer.Play(); }, 0, {"Lumo_ResetSourceBuffer(0)", "Lumo_Play(0,80)"}},
        {"play again", [&] { return renderer.Play(); }, 0, {}},
        {"faster", [&] { return renderer.SetRate(+1); }, 0, {"Lumo_Fast(0)"}},
        {"no step", [&] { return renderer.SetRate(0); }, 0, {}},
        {"slower", [&] { return renderer.SetRate(-2); }, 0, {"Lumo_Slow(0)"}},
        {"time while playing", [&] { return renderer.GetPlayedTime(&time); }, 0, {"Lumo_GetPlayedTimeEx(0)"}},
        {"pause", [&] { return renderer.Pause(); }, 0, {"Lumo_Pause(0,1)"}},
        {"rate while paused", [&] { return renderer.SetRate(1); }, 0, {}},
        {"volume while paused", [&] { return renderer.SetVolume(5); }, 0, {"Lumo_SetVolume(0,5)"}},
        {"resume", [&] { return renderer.Play(); }, 0, {"Lumo_Pause(0,0)"}},
        {"stop", [&] { return renderer.Stop(); }, 0, {"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)"}},
        {"stop again", [&] { return renderer.Stop(); }, -1, {}},
        {"seek", [&] { return renderer.ResetSourceBuffer(); }, 0, {"Lumo_ResetSourceBuffer(0)"}},
        {"close sound, none open", [&] { return renderer.CloseSound(); }, 0, {}},
        {"exclusive sound", [&] { return renderer.OpenSound(true); }, 0, {"Lumo_PlaySound(0)"}},
        {"close it", [&] { return renderer.CloseSound(); }, 0, {"Lumo_StopSound()"}},
        {"shared sound", [&] { return renderer.OpenSound(false); }, 0, {"Lumo_PlaySoundShare(0)"}},
        {"close that", [&] { return renderer.CloseSound(); }, 0, {"Lumo_StopSoundShare(0)"}},
        {"close again", [&] { return renderer.CloseSound(); }, 0, {}},
        {"same window", [&] { return renderer.ResetWndHandle(Window(0x50), 1, kHeader, 40, false); }, 0, {}},
        {"new window", [&] { return renderer.ResetWndHandle(Window(0x60), 1, kHeader, 40, true); }, 0,
         {"Lumo_CloseStream(0)", "Lumo_FreePort(0)", "Lumo_GetPort()", "Lumo_SetStreamOpenMode(0,1)",
          "Lumo_OpenStream(0,40,1310720)", "Lumo_ResetSourceBuffer(0)", "Lumo_Play(0,96)"}},
        {"no window: stopped and closed", [&] { return renderer.ResetWndHandle(nullptr, 1, kHeader, 40, true); }, 0,
         {"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)", "Lumo_CloseStream(0)", "Lumo_FreePort(0)"}},
        {"no port without a window", [&] { return renderer.GetPort(); }, -1, {}},
        {"no rate without a port", [&] { return renderer.SetRate(1); }, -1, {}},
        {"no sound without a port", [&] { return renderer.OpenSound(true); }, -1, {}},
        {"no sound to close without a port", [&] { return renderer.CloseSound(); }, -1, {}},
    };
    for (const auto& s : steps) {
        CFakeLumodec::ClearCalls();
        EXPECT_EQ(s.result, s.call()) << s.step;
        EXPECT_EQ(s.calls, CFakeLumodec::Calls()) << s.step;
    }
    EXPECT_EQ(1000u, time) << "written only while playing";
}

TEST_F(Renderer, RefusalsOfTheLibraryLeaveThePlayStateAlone)
{
    MakeReady();
    CFakeLumodec::Refuse("Lumo_Play");
    EXPECT_EQ(-1, renderer.Play());
    EXPECT_EQ(-1, renderer.Pause()) << "still stopped";
    CFakeLumodec::Refuse("Lumo_Play", false);
    ASSERT_EQ(0, renderer.Play());
    CFakeLumodec::Refuse("Lumo_Stop");
    EXPECT_EQ(-1, renderer.Stop());
    EXPECT_EQ(0, renderer.Pause()) << "still playing";
}

TEST_F(Renderer, InputIsOfferedFourTimesThenDropped)
{
    MakeReady();
    const unsigned char block[100] = {};
    EXPECT_EQ(0, renderer.InputData(block, sizeof block));
    EXPECT_EQ(Calls{"Lumo_InputData(0,100)"}, CFakeLumodec::Calls());

    CFakeLumodec::ClearCalls();
    CFakeLumodec::Refuse("Lumo_InputData");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, renderer.InputData(block, sizeof block));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    EXPECT_EQ(Calls(4, "Lumo_InputData(0,100)"), CFakeLumodec::Calls());

    // A port closed between attempts ends them: the decoder library may hand its number to
    // another player at once, whose decoder must not get this stream's blocks.
    CFakeLumodec::ClearCalls();
    CLibraryWaits::Set(CLibraryWaits::InputRetry, 200);
    std::thread input([&] { renderer.InputData(block, sizeof block); });
    ASSERT_TRUE(WaitUntil([] { return !CFakeLumodec::Calls().empty(); }, 1000));
    renderer.Close();
    CVAROH264Renderer other;
    ASSERT_EQ(0, other.Init(2, Window(0x60), false));
    ASSERT_EQ(0, other.OpenStream(kHeader, sizeof kHeader));
    input.join();
    EXPECT_EQ(1u, CFakeLumodec::CallsOf("Lumo_InputData").size());
}

TEST_F(Renderer, ResetWndHandleFailuresCloseTheAdapterAndSaySo)
{
    const struct { const char* refused; int id; const char* line; } cases[] = {
        {nullptr, -1, "zrk--------client CVAROH264Renderer ResetWndHandle failed 1\n"},
        {"Lumo_GetPort", 1, "zrk--------client CVAROH264Renderer ResetWndHandle failed 2\n"},
        {"Lumo_Play", 1, "zrk--------client CVAROH264Renderer ResetWndHandle failed 3\n"},
    };
    for (const auto& c : cases) {
        CFakeLumodec::Reset();
        CVAROH264Renderer fresh;
        if (c.refused)
            CFakeLumodec::Refuse(c.refused);
        CDebugCapture capture;
        EXPECT_EQ(-1, fresh.ResetWndHandle(Window(0x60), c.id, kHeader, 40, false));
        EXPECT_EQ(std::vector<std::string>{c.line}, capture.Lines());
        EXPECT_EQ(-1, fresh.GetPort()) << c.line;
    }
}

