#include "TestPicture.h"
#include "decoder/lumodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct DecodedJpeg {
    int width = 0;
    int height = 0;
    int components = 0;
    Bytes pixels;
};

DecodedJpeg Decode(const Bytes& file)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    DecodedJpeg out;
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.components = info.output_components;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height * out.components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.pixels.data() + static_cast<size_t>(info.output_scanline) * out.width * out.components;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

TEST(Jpeg, ReadsBackWithItsSizeAndColours)
{
    const int width = 64;
    const int height = 48;
    Bytes picture = WhiteOverRed(width, height);
    std::string path = TempPath("picture.jpg");
    ASSERT_NE(Lumo_ConvertToJpegFile(picture.data(), static_cast<int>(picture.size()), width, height, 3, path.c_str()),
              0);
    DecodedJpeg jpeg = Decode(ReadFile(path));
    ASSERT_EQ(jpeg.width, width);
    ASSERT_EQ(jpeg.height, height);
    ASSERT_EQ(jpeg.components, 3);
    // Away from the edge between the halves, where compression blurs.
    const unsigned char* top = &jpeg.pixels[(8 * width + 32) * 3];
    const unsigned char* bottom = &jpeg.pixels[(40 * width + 32) * 3];
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(top[i], 255, 8) << i;
        EXPECT_NEAR(bottom[i], i == 0 ? 255 : 0, 8) << i;
    }
}

} // namespace
