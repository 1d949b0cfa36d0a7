#pragma once

#include "SceneView.h"
#include "YuvImage.h"

#include <vector>

// The synthetic scene the simulator films: colour bars that repeat every 640 scene units
// sideways, a grid and a luma ramp that show vertical movement, and a ball that circles with
// time, so that motion, pan, tilt and zoom are all visible.
class CTestPicture {
public:
    CTestPicture(int width, int height);

    // Draws the scene as the view sees it at the given scene time.
    void Render(double seconds, const CSceneView& view);
    YuvImage& Image() { return image; }

private:
    void PrepareAxes(const CSceneView& view);
    void RenderLuma();
    void RenderChroma();
    void RenderBall(double seconds, const CSceneView& view);

    YuvImage image;
    // Per picture column: its bar and what it shows (its bar, or a grid line); per row: ramp
    // and grid.
    std::vector<uint8_t> columnBar;
    std::vector<uint8_t> columnShows;
    std::vector<int> rowShade;
    std::vector<uint8_t> rowLine;
};
