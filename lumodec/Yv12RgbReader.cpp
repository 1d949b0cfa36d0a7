#include "Yv12RgbReader.h"

#include "Yv12Picture.h"

namespace {

unsigned char Clamp(int value)
{
    return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
}

} // namespace

CYv12RgbReader::CYv12RgbReader(const unsigned char* picture, size_t size, int width, int height, int pictureType)
    : y(picture), v(nullptr), u(nullptr), width(width), height(height)
{
    size_t needed = CYv12Picture::SizeFor(width, height);
    valid = picture && pictureType == CYv12Picture::kPictureType && needed != 0 && size >= needed;
    if (!valid)
        return;
    v = y + static_cast<size_t>(width) * height;
    u = v + static_cast<size_t>(width / 2) * (height / 2);
}

// ITU-R BT.601 with video range (Y 16..235), the range H.264 decoders give by default; fixed
// point with 8 fractional bits.
void CYv12RgbReader::ReadRow(int row, unsigned char* out, bool bgr) const
{
    int chromaWidth = width / 2;
    int chromaRow = row / 2 < height / 2 ? row / 2 : height / 2 - 1;
    const unsigned char* yRow = y + static_cast<size_t>(row) * width;
    const unsigned char* vRow = v + static_cast<size_t>(chromaRow) * chromaWidth;
    const unsigned char* uRow = u + static_cast<size_t>(chromaRow) * chromaWidth;
    for (int x = 0; x < width; ++x) {
        // An odd last column shares the chroma of the column before it.
        int cx = x / 2 < chromaWidth ? x / 2 : chromaWidth - 1;
        int c = 298 * (yRow[x] - 16);
        int d = uRow[cx] - 128;
        int e = vRow[cx] - 128;
        unsigned char r = Clamp((c + 409 * e + 128) >> 8);
        unsigned char g = Clamp((c - 100 * d - 208 * e + 128) >> 8);
        unsigned char b = Clamp((c + 516 * d + 128) >> 8);
        out[0] = bgr ? b : r;
        out[1] = g;
        out[2] = bgr ? r : b;
        out += 3;
    }
}
