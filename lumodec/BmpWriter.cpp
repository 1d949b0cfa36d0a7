#include "BmpWriter.h"

#include "PictureFile.h"

#include <cstdint>
#include <memory>
#include <new>

namespace {

const int kBitsPerPixel = 24;
// 72 dots per inch, the usual default.
const uint32_t kPixelsPerMetre = 2835;

void Put16(unsigned char*& out, uint32_t value)
{
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out += 2;
}

void Put32(unsigned char*& out, uint32_t value)
{
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

void WriteHeaders(unsigned char* out, int width, int height)
{
    uint32_t headers = CBmpWriter::kFileHeaderSize + CBmpWriter::kInfoHeaderSize;
    uint32_t imageSize = static_cast<uint32_t>(CBmpWriter::RowSize(width)) * static_cast<uint32_t>(height);
    *out++ = 'B';
    *out++ = 'M';
    Put32(out, headers + imageSize);
    Put32(out, 0); // two reserved 16-bit fields
    Put32(out, headers);
    Put32(out, CBmpWriter::kInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height)); // positive: bottom-up
    Put16(out, 1);
    Put16(out, kBitsPerPixel);
    Put32(out, 0); // BI_RGB, uncompressed
    Put32(out, imageSize);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 0); // colours used: all
    Put32(out, 0); // important colours: all
}

} // namespace

bool CBmpWriter::Write(const CYv12RgbReader& picture, const char* path)
{
    if (!picture.Valid())
        return false;
    int rowSize = RowSize(picture.Width());
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[rowSize]());
    CPictureFile file(path);
    if (!row || !file.IsOpen())
        return false;
    unsigned char headers[kFileHeaderSize + kInfoHeaderSize];
    WriteHeaders(headers, picture.Width(), picture.Height());
    bool written = file.Write(headers, sizeof headers);
    for (int y = picture.Height() - 1; written && y >= 0; --y) {
        picture.ReadRow(y, row.get(), true);
        written = file.Write(row.get(), static_cast<size_t>(rowSize));
    }
    return file.Close() && written;
}
