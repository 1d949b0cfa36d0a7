#include "TestPicture.h"
#include "decoder/lumodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int kPictureType = 3;

// White over red, 5 x 4: every row of 15 bytes padded to 16, rows bottom-up in blue-green-red.
TEST(Bmp, IsTheFileByteForByte)
{
    const Bytes red = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0};
    const Bytes white = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0};
    Bytes expected = {'B', 'M', 118, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,     // file size, reserved, pixel offset
                      40, 0, 0, 0, 5, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0,    // info size, width, height, planes, bits
                      0, 0, 0, 0, 64, 0, 0, 0, 0x13, 0x0b, 0, 0, 0x13, 0x0b, 0, 0, // no compression, image size, 72 dpi
                      0, 0, 0, 0, 0, 0, 0, 0};                             // colours used, important
    for (const Bytes* row : {&red, &red, &white, &white})
        expected.insert(expected.end(), row->begin(), row->end());
    Bytes picture = WhiteOverRed(5, 4);
    std::string path = TempPath("picture.bmp");
    ASSERT_NE(Lumo_ConvertToBmpFile(picture.data(), static_cast<int>(picture.size()), 5, 4, kPictureType, path.c_str()),
              0);
    EXPECT_EQ(ReadFile(path), expected);
}

TEST(PictureFile, UnusablePicturesAndPathsAreRefusedAndNoFileIsLeft)
{
    // The path is in the temporary folder, unless absolute.
    const struct {
        const char* name;
        bool nullPicture;
        int sizeShort, width, height, pictureType;
        const char* path;
    } cases[] = {
        {"null picture", true, 0, 8, 8, kPictureType, "picture"},
        {"one byte short", false, 1, 8, 8, kPictureType, "picture"},
        {"width 1", false, 0, 1, 8, kPictureType, "picture"},
        {"height 0", false, 0, 8, 0, kPictureType, "picture"},
        {"negative width", false, 0, -8, 8, kPictureType, "picture"},
        {"not YV12", false, 0, 8, 8, 1, "picture"},
        {"unwritable path", false, 0, 8, 8, kPictureType, "/nonexistent-folder/picture"},
        {"null path", false, 0, 8, 8, kPictureType, nullptr},
    };
    Bytes picture = WhiteOverRed(8, 8);
    for (auto convert : {Lumo_ConvertToBmpFile, Lumo_ConvertToJpegFile}) {
        for (const auto& c : cases) {
            std::string path = c.path && c.path[0] != '/' ? TempPath(c.path) : c.path ? c.path : "";
            EXPECT_EQ(convert(c.nullPicture ? nullptr : picture.data(), static_cast<int>(picture.size()) - c.sizeShort,
                              c.width, c.height, c.pictureType, c.path ? path.c_str() : nullptr),
                      0) << c.name;
            EXPECT_FALSE(FileExists(path)) << c.name;
        }
    }
}

} // namespace
