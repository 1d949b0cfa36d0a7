#pragma once

// Which part of the synthetic scene the picture shows: a virtual camera that pans, tilts and
// zooms. Picture pixel (x, y) shows scene point (left + x * scale, top + y * scale).
//
// Camera commands (OPTIONS "command", step count in param1, 0 counting as 1):
//   1 tilt up, 2 tilt down, 3 pan left, 4 pan right, 5 zoom in, 6 zoom out, 7 home;
//   71 zoom into the picture rectangle param1..param4 (left, top, right, bottom).
class CSceneView {
public:
    enum Command : unsigned long {
        kTiltUp = 1,
        kTiltDown = 2,
        kPanLeft = 3,
        kPanRight = 4,
        kZoomIn = 5,
        kZoomOut = 6,
        kHome = 7,
        kZoomToRect = 71,
    };
    // A pan or tilt step moves the view by this share of the picture.
    static constexpr int kStepDivisor = 8;
    static constexpr double kZoomStep = 1.25;
    static constexpr double kMinScale = 1.0 / 16;
    static constexpr double kMaxScale = 4.0;

    CSceneView(int width, int height) : width(width), height(height) {}

    // False for a command number it does not know (the view stays as it is).
    bool Apply(unsigned long command, unsigned long param1, unsigned long param2, unsigned long param3,
               unsigned long param4);

    double left = 0;
    double top = 0;
    double scale = 1; // scene units per picture pixel

private:
    void Move(double dx, double dy, unsigned long steps);
    void ZoomAboutCentre(double factor);
    void ZoomToRect(long x0, long y0, long x1, long y1);

    int width;
    int height;
};
