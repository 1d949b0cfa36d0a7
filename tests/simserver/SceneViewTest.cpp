#include "SceneView.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase { unsigned long command, params[4]; bool known; double left, top, scale; };

TEST(SceneView, CameraCommandsMoveAndZoomTheView)
{
    // A 640x360 picture: one step is an eighth of it (80 or 45 pixels).
    const CommandCase cases[] = {
        {CSceneView::kPanLeft, {0}, true, -80, 0, 1},
        {CSceneView::kPanRight, {2}, true, 160, 0, 1},
        {CSceneView::kTiltUp, {1}, true, 0, -45, 1},
        {CSceneView::kTiltDown, {3}, true, 0, 135, 1},
        {CSceneView::kZoomIn, {1}, true, 320 * 0.2, 180 * 0.2, 0.8},
        {CSceneView::kZoomOut, {1}, true, -320 * 0.25, -180 * 0.25, 1.25},
        {CSceneView::kHome, {0}, true, 0, 0, 1},
        // The rectangle 320x180 at (160, 90) fills the picture.
        {CSceneView::kZoomToRect, {160, 90, 480, 270}, true, 160, 90, 0.5},
        // Clipped to the picture; one without area changes nothing.
        {CSceneView::kZoomToRect, {0xffffffff, 0, 320, 180}, true, 0, 0, 0.5},
        {CSceneView::kZoomToRect, {100, 100, 100, 200}, true, 0, 0, 1},
        {999, {1, 2, 3, 4}, false, 0, 0, 1},
    };
    for (const CommandCase& c : cases) {
        CSceneView view(640, 360);
        EXPECT_EQ(c.known, view.Apply(c.command, c.params[0], c.params[1], c.params[2], c.params[3])) << c.command;
        EXPECT_DOUBLE_EQ(c.left, view.left) << c.command;
        EXPECT_DOUBLE_EQ(c.top, view.top) << c.command;
        EXPECT_DOUBLE_EQ(c.scale, view.scale) << c.command;
    }
}

} // namespace
