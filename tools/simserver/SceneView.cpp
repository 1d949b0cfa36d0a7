#include "SceneView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Bounds a client's step count so that a wild number cannot push the view into overflow.
const unsigned long kMaxSteps = 64;

unsigned long Steps(unsigned long param)
{
    return std::min(std::max(param, 1ul), kMaxSteps);
}

} // namespace

bool CSceneView::Apply(unsigned long command, unsigned long param1, unsigned long param2, unsigned long param3,
                       unsigned long param4)
{
    switch (command) {
    case kTiltUp: Move(0, -1, param1); return true;
    case kTiltDown: Move(0, 1, param1); return true;
    case kPanLeft: Move(-1, 0, param1); return true;
    case kPanRight: Move(1, 0, param1); return true;
    case kZoomIn: ZoomAboutCentre(std::pow(kZoomStep, -static_cast<double>(Steps(param1)))); return true;
    case kZoomOut: ZoomAboutCentre(std::pow(kZoomStep, static_cast<double>(Steps(param1)))); return true;
    case kHome: *this = CSceneView(width, height); return true;
    // The parameters arrive as unsigned 32-bit texts; a negative coordinate wraps, so read them back signed.
    case kZoomToRect:
        ZoomToRect(static_cast<int32_t>(param1), static_cast<int32_t>(param2), static_cast<int32_t>(param3),
                   static_cast<int32_t>(param4));
        return true;
    default: return false;
    }
}

void CSceneView::Move(double dx, double dy, unsigned long steps)
{
    double n = static_cast<double>(Steps(steps));
    left += dx * n * width / kStepDivisor * scale;
    top += dy * n * height / kStepDivisor * scale;
}

void CSceneView::ZoomAboutCentre(double factor)
{
    double newScale = std::min(std::max(scale * factor, kMinScale), kMaxScale);
    left += width / 2.0 * (scale - newScale);
    top += height / 2.0 * (scale - newScale);
    scale = newScale;
}

// The rectangle is clipped to the picture; one without area leaves the view alone. The whole
// rectangle stays in sight: the picture's aspect is kept, centred on the rectangle.
void CSceneView::ZoomToRect(long x0, long y0, long x1, long y1)
{
    x0 = std::max(x0, 0l), y0 = std::max(y0, 0l);
    x1 = std::min(x1, static_cast<long>(width)), y1 = std::min(y1, static_cast<long>(height));
    if (x1 <= x0 || y1 <= y0)
        return;
    double fit = std::max(double(x1 - x0) / width, double(y1 - y0) / height);
    double newScale = std::max(scale * fit, kMinScale);
    double centreX = left + (x0 + x1) / 2.0 * scale;
    double centreY = top + (y0 + y1) / 2.0 * scale;
    scale = newScale;
    left = centreX - width / 2.0 * scale;
    top = centreY - height / 2.0 * scale;
}
