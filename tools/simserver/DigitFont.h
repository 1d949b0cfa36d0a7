#pragma once

#include "YuvImage.h"

#include <string>

// A 5x7 bitmap font of the characters a clock needs ("0"-"9", ":", ".", "-", " "), drawn white
// on a black box so that it reads on any picture. Other characters draw as blanks.
class CDigitFont {
public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;

    // Each font pixel becomes scale x scale picture pixels; x, y: top left of the box.
    static void Draw(YuvImage& image, int x, int y, const std::string& text, int scale);
    // Size of the box Draw fills.
    static int BoxWidth(const std::string& text, int scale);
    static int BoxHeight(int scale);

private:
    static void DrawGlyph(YuvImage& image, int x, int y, char c, int scale);
    static void FillLuma(YuvImage& image, int x, int y, int width, int height, uint8_t value);
    static void FillNeutralChroma(YuvImage& image, int x, int y, int width, int height);
};
