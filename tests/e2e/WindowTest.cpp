// The stand-in draws the simulator's live stream into windows the test makes: the scene's
// colour bars must show where the picture, scaled to the window's size, puts them. Skipped
// where no window can be made.
#include "SimulatorFixture.h"
#include "TestWindow.h"
#include "fakes/WaitUntil.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// The scene's bars are 80 units wide; the circling ball never reaches bars 0, 1, 6 and 7, which
// are white, yellow, blue and black. Each is looked at 20 units in from either edge, on rows
// between the grid lines (every 40 units) and below the clock, and named by which of red, green
// and blue are bright. The windows' green background is none of them, so that an undrawn window
// fails.
const int kBarWidth = 80;
const int kLookedAtBars[] = {0, 1, 6, 7};
const int kRows[] = {60, 140, 220, 300, 340};
const std::string kBarsSeen = "WWYYBBKK WWYYBBKK WWYYBBKK WWYYBBKK WWYYBBKK ";

char Named(uint32_t pixel)
{
    int bright = ((pixel >> 16 & 0xff) > 120) << 2 | ((pixel >> 8 & 0xff) > 120) << 1 | ((pixel & 0xff) > 120);
    return "KB????YW"[bright];
}

class WindowedSimulator : public SimulatorFixture {
protected:
    void SetUp() override
    {
        SimulatorFixture::SetUp();
        std::string why;
        if (!IsSkipped() && !CTestWindow::CanOpen(why))
            GTEST_SKIP() << why;
    }

    // The bars as the window shows them, row by row.
    std::string Shown(CTestWindow& window, int width, int height)
    {
        return Bars(window.Pixels(width, height), width, height);
    }

    std::string Bars(const std::vector<uint32_t>& pixels, int width, int height)
    {
        if (pixels.empty())
            return "no image";
        std::string shown;
        for (int row : kRows) {
            for (int bar : kLookedAtBars) {
                for (int inset : {20, kBarWidth - 20}) {
                    int x = (bar * kBarWidth + inset) * width / kStreamWidth;
                    shown += Named(pixels[static_cast<size_t>(row * height / kStreamHeight) * width + x]);
                }
            }
            shown += ' ';
        }
        return shown;
    }

    // What the window shows once it shows the bars, or after 15 s.
    std::string Seen(CTestWindow& window, int width, int height)
    {
        std::string shown;
        WaitUntil([&] {
            shown = Shown(window, width, height);
            if (shown == kBarsSeen)
                return true;
            Sleep(100);
            return false;
        }, 15000);
        return shown;
    }
};

} // namespace

TEST_F(WindowedSimulator, LiveStreamIsDrawnScaledToTheWindowItFollows)
{
    CTestWindow first(400, 300);
    int id = Open("/live/av_stream", 1, first.Handle());
    first.OnPaint([id] { StreamClient_RefreshPlay(id); });
    EXPECT_EQ(kBarsSeen, Seen(first, 400, 300));

    // Paused, the last picture is drawn again at the window's new size and where it was lost.
    ASSERT_EQ(1, StreamClient_Pause(id));
    first.Resize(240, 400);
    EXPECT_EQ(kBarsSeen, Seen(first, 240, 400)) << "resized";
    first.HideAndShow();
    EXPECT_EQ(kBarsSeen, Seen(first, 240, 400)) << "exposed";
    // Painted over unseen (the last redraws of the exposure let pass first), it stays so until
    // the host asks for the picture again.
    Sleep(300);
    first.PaintOver();
    EXPECT_NE(kBarsSeen, Shown(first, 240, 400)) << "painted over";
    ASSERT_EQ(0, StreamClient_RefreshPlay(id));
    EXPECT_EQ(kBarsSeen, Seen(first, 240, 400)) << "refreshed";
    ASSERT_EQ(1, StreamClient_Resume(id));

    CTestWindow second(320, 200);
    ASSERT_EQ(0, StreamClient_ResetWndHandle(id, second.Handle()));
    EXPECT_EQ(kBarsSeen, Seen(second, 320, 200)) << "moved to another window";

    // Its window destroyed, the stream plays on: frames still reach the display callback.
    second.Destroy();
    EXPECT_EQ(54u + kStreamWidth * 3 * kStreamHeight, Snapshot(id, "window.bmp", 0).size());
}

// The desktop is another process's window: it is left as it was, and the stream plays on. It is
// looked at below and right of where the tests' windows are (the screen is 1024 x 768).
TEST_F(WindowedSimulator, AnotherProcessWindowIsLeftAsItWas)
{
    std::unique_ptr<CTestWindow> desktop = CTestWindow::OfAnotherProcess();
    if (!desktop)
        GTEST_SKIP() << "every window of the display is the test's to draw into";
    const int kLeft = 500, kTop = 450, kWidth = 400, kHeight = 300;
    std::vector<uint32_t> before = desktop->Pixels(kWidth, kHeight, kLeft, kTop);
    int id = Open("/live/av_stream", 1, desktop->Handle());
    EXPECT_EQ(54u + kStreamWidth * 3 * kStreamHeight, Snapshot(id, "desktop.bmp", 0).size());
    Sleep(500);
    std::vector<uint32_t> after = desktop->Pixels(kWidth, kHeight, kLeft, kTop);
    EXPECT_TRUE(!before.empty() && before == after) << Bars(after, kWidth, kHeight);
}
