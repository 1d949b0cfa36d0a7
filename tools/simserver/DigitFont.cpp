#include "DigitFont.h"

#include <algorithm>
#include <cstring>

namespace {

const uint8_t kWhite = 235;
const uint8_t kBlack = 16;
const uint8_t kNeutralChroma = 128;
const char kCharacters[] = "0123456789:.- ";

// One row per byte, the glyph's leftmost pixel in bit 4.
const uint8_t kGlyphs[][CDigitFont::kGlyphHeight] = {
    {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}, // 0
    {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}, // 1
    {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}, // 2
    {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}, // 3
    {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}, // 4
    {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}, // 5
    {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}, // 6
    {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
    {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}, // 8
    {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}, // 9
    {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}, // :
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}, // .
    {0x00, 0x00, 0x00, 0x1f, 0x00, 0x00, 0x00}, // -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // space
};

// A glyph takes its width and one column of spacing; the box has that much margin around.
int Advance(int scale)
{
    return (CDigitFont::kGlyphWidth + 1) * scale;
}

} // namespace

int CDigitFont::BoxWidth(const std::string& text, int scale)
{
    return static_cast<int>(text.size()) * Advance(scale) + scale;
}

int CDigitFont::BoxHeight(int scale)
{
    return (kGlyphHeight + 2) * scale;
}

void CDigitFont::Draw(YuvImage& image, int x, int y, const std::string& text, int scale)
{
    FillLuma(image, x, y, BoxWidth(text, scale), BoxHeight(scale), kBlack);
    FillNeutralChroma(image, x, y, BoxWidth(text, scale), BoxHeight(scale));
    for (size_t i = 0; i < text.size(); ++i)
        DrawGlyph(image, x + scale + static_cast<int>(i) * Advance(scale), y + scale, text[i], scale);
}

void CDigitFont::DrawGlyph(YuvImage& image, int x, int y, char c, int scale)
{
    const char* found = c ? std::strchr(kCharacters, c) : nullptr;
    if (!found)
        return;
    const uint8_t* rows = kGlyphs[found - kCharacters];
    for (int row = 0; row < kGlyphHeight; ++row)
        for (int column = 0; column < kGlyphWidth; ++column)
            if (rows[row] & (0x10 >> column))
                FillLuma(image, x + column * scale, y + row * scale, scale, scale, kWhite);
}

// Clipped to the picture, so text may run off an edge.
void CDigitFont::FillLuma(YuvImage& image, int x, int y, int width, int height, uint8_t value)
{
    int left = std::max(x, 0), right = std::min(x + width, image.width);
    for (int row = std::max(y, 0); row < std::min(y + height, image.height) && left < right; ++row)
        std::memset(&image.y[static_cast<size_t>(row) * image.width + left], value, static_cast<size_t>(right - left));
}

void CDigitFont::FillNeutralChroma(YuvImage& image, int x, int y, int width, int height)
{
    int left = std::max(x / 2, 0), right = std::min((x + width + 1) / 2, image.ChromaWidth());
    int bottom = std::min((y + height + 1) / 2, image.ChromaHeight());
    for (int row = std::max(y / 2, 0); row < bottom && left < right; ++row) {
        size_t at = static_cast<size_t>(row) * image.ChromaWidth() + left;
        std::memset(&image.u[at], kNeutralChroma, static_cast<size_t>(right - left));
        std::memset(&image.v[at], kNeutralChroma, static_cast<size_t>(right - left));
    }
}
