#pragma once

#include "YuvImage.h"

// Brightness, contrast, saturation and hue as the client sets them, 0..255 with 128 neutral,
// applied to the picture's planes after it is drawn.
struct PictureParams {
    static constexpr int kNeutral = 128;

    int brightness = kNeutral;
    int contrast = kNeutral;
    int saturation = kNeutral;
    int hue = kNeutral;

    bool IsNeutral() const;
    // Brightness shifts luma, contrast stretches it about mid-grey, saturation scales chroma and
    // hue turns it (128 steps to half a turn).
    void Apply(YuvImage& image) const;

private:
    void ApplyLuma(YuvImage& image) const;
    void ApplyChroma(YuvImage& image) const;
};
