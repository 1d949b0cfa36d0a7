#include "TestCaseName.h"
#include "TestPicture.h"
#include "player/lumodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const int kWidth = 5; // odd, so that every row is padded: 15 bytes to 16
const int kHeight = 4;
const int kPictureType = 3;

uint32_t Field(const Bytes& file, size_t offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | file[offset + i];
    return value;
}

struct HeaderField {
    std::string name;
    size_t offset;
    int size;
    uint32_t value;
};

const HeaderField kFields[] = {
    {"type", 0, 2, 'B' | 'M' << 8},
    {"file size", 2, 4, 54 + 4 * 16},
    {"reserved", 6, 4, 0},
    {"pixel offset", 10, 4, 54},
    {"info size", 14, 4, 40},
    {"width", 18, 4, kWidth},
    {"height, positive for bottom-up", 22, 4, kHeight},
    {"planes", 26, 2, 1},
    {"bits per pixel", 28, 2, 24},
    {"compression", 30, 4, 0},
    {"image size", 34, 4, 4 * 16},
    {"horizontal resolution", 38, 4, 2835},
    {"vertical resolution", 42, 4, 2835},
    {"colours used", 46, 4, 0},
    {"important colours", 50, 4, 0},
};

// The BMP file of the white-over-red picture; empty when none was written.
Bytes WriteBmp()
{
    Bytes picture = WhiteOverRed(kWidth, kHeight);
    std::string path = TempPath("picture.bmp");
    if (!Lumo_ConvertToBmpFile(picture.data(), static_cast<int>(picture.size()), kWidth, kHeight, kPictureType,
                               path.c_str()))
        return Bytes();
    return ReadFile(path);
}

class BmpHeaderTest : public ::testing::TestWithParam<HeaderField> {};

TEST_P(BmpHeaderTest, HasTheField)
{
    Bytes file = WriteBmp();
    ASSERT_EQ(file.size(), 54u + 4 * 16);
    EXPECT_EQ(Field(file, GetParam().offset, GetParam().size), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Bmp, BmpHeaderTest, ::testing::ValuesIn(kFields), CaseName<HeaderField>);

TEST(Bmp, RowsRunBottomUpInBlueGreenRedPadded)
{
    Bytes file = WriteBmp();
    ASSERT_EQ(file.size(), 54u + 4 * 16);
    const Bytes red = {0, 0, 255};
    const Bytes white = {255, 255, 255};
    for (int fileRow = 0; fileRow < kHeight; ++fileRow) {
        const Bytes& colour = fileRow < kHeight / 2 ? red : white;
        size_t row = 54 + static_cast<size_t>(fileRow) * 16;
        for (int x = 0; x < kWidth; ++x)
            EXPECT_EQ(Bytes(file.begin() + row + 3 * x, file.begin() + row + 3 * x + 3), colour) << fileRow << "," << x;
        EXPECT_EQ(file[row + 15], 0) << "padding of row " << fileRow;
    }
}

typedef int(LUMO_CALL* Converter)(const unsigned char*, int, int, int, int, const char*);

struct RefusalCase {
    std::string name;
    bool nullPicture;
    int sizeShort;
    int width;
    int height;
    int pictureType;
    bool badPath;
};

const RefusalCase kRefusals[] = {
    {"null picture", true, 0, 8, 8, kPictureType, false},
    {"one byte short", false, 1, 8, 8, kPictureType, false},
    {"width 1", false, 0, 1, 8, kPictureType, false},
    {"height 0", false, 0, 8, 0, kPictureType, false},
    {"negative width", false, 0, -8, 8, kPictureType, false},
    {"not YV12", false, 0, 8, 8, 1, false},
    {"unwritable path", false, 0, 8, 8, kPictureType, true},
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {
protected:
    void ExpectRefused(Converter convert)
    {
        const RefusalCase& c = GetParam();
        Bytes picture = WhiteOverRed(8, 8);
        std::string path = c.badPath ? "/nonexistent-folder/picture" : TempPath("picture");
        int size = static_cast<int>(picture.size()) - c.sizeShort;
        EXPECT_EQ(convert(c.nullPicture ? nullptr : picture.data(), size, c.width, c.height, c.pictureType, path.c_str()),
                  0);
        EXPECT_FALSE(FileExists(path));
    }
};

TEST_P(RefusalTest, Bmp)
{
    ExpectRefused(Lumo_ConvertToBmpFile);
}

TEST_P(RefusalTest, Jpeg)
{
    ExpectRefused(Lumo_ConvertToJpegFile);
}

INSTANTIATE_TEST_SUITE_P(PictureFile, RefusalTest, ::testing::ValuesIn(kRefusals), CaseName<RefusalCase>);

TEST(PictureFile, NullPathIsRefused)
{
    Bytes picture = WhiteOverRed(8, 8);
    EXPECT_EQ(Lumo_ConvertToBmpFile(picture.data(), static_cast<int>(picture.size()), 8, 8, kPictureType, nullptr), 0);
    EXPECT_EQ(Lumo_ConvertToJpegFile(picture.data(), static_cast<int>(picture.size()), 8, 8, kPictureType, nullptr), 0);
}

} // namespace
