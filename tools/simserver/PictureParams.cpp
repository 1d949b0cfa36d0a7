#include "PictureParams.h"

#include <algorithm>
#include <cmath>

namespace {

const int kMid = 128;
// Fixed-point scale of the chroma matrix.
const int kOne = 1 << 12;

uint8_t Clamp(int value)
{
    return static_cast<uint8_t>(std::min(255, std::max(0, value)));
}

} // namespace

bool PictureParams::IsNeutral() const
{
    return brightness == kNeutral && contrast == kNeutral && saturation == kNeutral && hue == kNeutral;
}

void PictureParams::Apply(YuvImage& image) const
{
    if (brightness != kNeutral || contrast != kNeutral)
        ApplyLuma(image);
    if (saturation != kNeutral || hue != kNeutral)
        ApplyChroma(image);
}

void PictureParams::ApplyLuma(YuvImage& image) const
{
    uint8_t table[256];
    for (int value = 0; value < 256; ++value)
        table[value] = Clamp((value - kMid) * contrast / kNeutral + kMid + brightness - kNeutral);
    for (uint8_t& sample : image.y)
        sample = table[sample];
}

void PictureParams::ApplyChroma(YuvImage& image) const
{
    const double angle = (hue - kNeutral) * M_PI / kNeutral;
    const double gain = static_cast<double>(saturation) / kNeutral;
    const int c = static_cast<int>(std::lround(std::cos(angle) * gain * kOne));
    const int s = static_cast<int>(std::lround(std::sin(angle) * gain * kOne));
    for (size_t i = 0; i < image.u.size(); ++i) {
        int u = image.u[i] - kMid, v = image.v[i] - kMid;
        image.u[i] = Clamp((u * c - v * s) / kOne + kMid);
        image.v[i] = Clamp((u * s + v * c) / kOne + kMid);
    }
}
