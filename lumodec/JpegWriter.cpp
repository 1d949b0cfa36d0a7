#include "JpegWriter.h"

#include "PictureFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include <jpeglib.h>

namespace {

// libjpeg reports errors by calling error_exit, which by default ends the process; ours jumps
// back to Compress instead.
struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf escape;
};

void EscapeOnError(j_common_ptr info)
{
    longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void CompressRows(jpeg_compress_struct& info, const CYv12RgbReader& picture, unsigned char* row)
{
    info.image_width = static_cast<JDIMENSION>(picture.Width());
    info.image_height = static_cast<JDIMENSION>(picture.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, CJpegWriter::kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < picture.Height(); ++y) {
        picture.ReadRow(y, row, false);
        JSAMPROW rows[] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
}

// Only plain data lives in this frame, so the long jump skips no destructor. The compressed
// bytes are malloc'ed by libjpeg; the caller frees them.
bool Compress(const CYv12RgbReader& picture, unsigned char* row, unsigned char** out, unsigned long* size)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = EscapeOnError;
    if (setjmp(errors.escape)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    CompressRows(info, picture, row);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

bool CJpegWriter::Write(const CYv12RgbReader& picture, const char* path)
{
    if (!picture.Valid())
        return false;
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[3 * static_cast<size_t>(picture.Width())]);
    CPictureFile file(path);
    if (!row || !file.IsOpen())
        return false;
    unsigned char* compressed = nullptr;
    unsigned long size = 0;
    bool done = Compress(picture, row.get(), &compressed, &size);
    bool written = done && file.Write(compressed, size);
    free(compressed);
    return file.Close() && written;
}
