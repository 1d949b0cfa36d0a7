#include "TestPicture.h"

#include <algorithm>
#include <cmath>

namespace {

const double kBarWidth = 80;
const int kBarCount = 8;
// What a column shows where a vertical grid line passes, after the bars' indexes.
const uint8_t kGridLine = kBarCount;
const double kGridSpacing = 40;
const double kRampPeriod = 360;
const int kRampDepth = 48;
const uint8_t kLineLuma = 235;
const double kBallRadius = 30;
const double kBallOrbit = 120;
const double kBallCentreX = 320, kBallCentreY = 180;
const double kBallTurnsPerSecond = 0.25;

// White, yellow, cyan, green, magenta, red, blue, black, in BT.601 video range.
struct Colour {
    uint8_t y, u, v;
};

const Colour kBars[kBarCount] = {{180, 128, 128}, {168, 44, 136}, {145, 147, 44}, {133, 63, 52},
                      {63, 193, 204},  {51, 109, 212}, {28, 212, 120}, {16, 128, 128}};

const Colour kOrange = {150, 60, 200};

// The remainder in [0, period), also for negative scene coordinates.
double Wrap(double value, double period)
{
    double r = std::fmod(value, period);
    return r < 0 ? r + period : r;
}

bool NearLine(double value, double scale)
{
    return Wrap(value, kGridSpacing) < std::max(scale, 1.0);
}

} // namespace

CTestPicture::CTestPicture(int width, int height)
    : image(width, height), columnBar(width), columnShows(width), rowShade(height), rowLine(height)
{
}

void CTestPicture::Render(double seconds, const CSceneView& view)
{
    PrepareAxes(view);
    RenderLuma();
    RenderChroma();
    RenderBall(seconds, view);
}

// The scene is separable, so one pass over the columns and one over the rows does the maths.
void CTestPicture::PrepareAxes(const CSceneView& view)
{
    for (int x = 0; x < image.width; ++x) {
        double sx = view.left + x * view.scale;
        columnBar[x] = static_cast<uint8_t>(Wrap(sx, kBarWidth * kBarCount) / kBarWidth);
        columnShows[x] = NearLine(sx, view.scale) ? kGridLine : columnBar[x];
    }
    for (int y = 0; y < image.height; ++y) {
        double sy = view.top + y * view.scale;
        rowShade[y] = static_cast<int>(Wrap(sy, kRampPeriod) * kRampDepth / kRampPeriod) - kRampDepth / 2;
        rowLine[y] = NearLine(sy, view.scale);
    }
}

// Drawing costs about as much as encoding, so each pixel is one lookup: the row's luma for the
// eight bars and the grid line, indexed by what the column shows. The ramp changes only every
// few rows, and a row like the one above is copied.
void CTestPicture::RenderLuma()
{
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = &image.y[static_cast<size_t>(y) * image.width];
        if (y > 0 && rowLine[y] == rowLine[y - 1] && rowShade[y] == rowShade[y - 1]) {
            std::copy(row - image.width, row, row);
            continue;
        }
        uint8_t shades[kBarCount + 1];
        for (int bar = 0; bar < kBarCount; ++bar)
            shades[bar] = rowLine[y] ? kLineLuma : static_cast<uint8_t>(std::min(235, std::max(16, kBars[bar].y + rowShade[y])));
        shades[kGridLine] = kLineLuma;
        for (int x = 0; x < image.width; ++x)
            row[x] = shades[columnShows[x]];
    }
}

// The bars' colours do not change down the picture: one row, copied.
void CTestPicture::RenderChroma()
{
    const size_t width = static_cast<size_t>(image.ChromaWidth());
    for (size_t x = 0; x < width; ++x) {
        image.u[x] = kBars[columnBar[2 * x]].u;
        image.v[x] = kBars[columnBar[2 * x]].v;
    }
    for (size_t at = width; at < image.u.size(); at += width) {
        std::copy(image.u.begin(), image.u.begin() + static_cast<long>(width), image.u.begin() + static_cast<long>(at));
        std::copy(image.v.begin(), image.v.begin() + static_cast<long>(width), image.v.begin() + static_cast<long>(at));
    }
}

// An orange ball, drawn only within its bounding box in the picture.
void CTestPicture::RenderBall(double seconds, const CSceneView& view)
{
    double angle = seconds * kBallTurnsPerSecond * 2 * M_PI;
    double cx = (kBallCentreX + kBallOrbit * std::cos(angle) - view.left) / view.scale;
    double cy = (kBallCentreY + kBallOrbit * std::sin(angle) - view.top) / view.scale;
    double r = kBallRadius / view.scale;
    int x0 = std::max(0, static_cast<int>(cx - r)) & ~1, x1 = std::min(image.width, static_cast<int>(cx + r) + 1);
    int y0 = std::max(0, static_cast<int>(cy - r)) & ~1, y1 = std::min(image.height, static_cast<int>(cy + r) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r)
                continue;
            image.y[static_cast<size_t>(y) * image.width + x] = kOrange.y;
            size_t c = static_cast<size_t>(y / 2) * image.ChromaWidth() + x / 2;
            image.u[c] = kOrange.u;
            image.v[c] = kOrange.v;
        }
}
