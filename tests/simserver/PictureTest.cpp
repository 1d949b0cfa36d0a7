// The pieces that draw the picture: the test scene, the digits and the picture parameters.
#include "DigitFont.h"
#include "PictureParams.h"
#include "TestPicture.h"

#include <gtest/gtest.h>

namespace {

YuvImage Flat(uint8_t y, uint8_t u, uint8_t v)
{
    YuvImage image(16, 8);
    std::fill(image.y.begin(), image.y.end(), y);
    std::fill(image.u.begin(), image.u.end(), u);
    std::fill(image.v.begin(), image.v.end(), v);
    return image;
}

struct ParamsCase { const char* name; PictureParams params; uint8_t y, u, v; };

TEST(PictureParams, ChangeThePlanesAsTheClientAsks)
{
    // From luma 100, chroma (160, 128).
    const ParamsCase cases[] = {
        {"neutral", {}, 100, 160, 128},
        {"brighter", {178, 128, 128, 128}, 150, 160, 128},
        {"more contrast", {128, 192, 128, 128}, 86, 160, 128},
        {"no colour", {128, 128, 0, 128}, 100, 128, 128},
        {"hue half a turn", {128, 128, 128, 0}, 100, 96, 128},
        {"all high", {255, 255, 255, 128}, 200, 191, 128},
    };
    for (const ParamsCase& c : cases) {
        YuvImage image = Flat(100, 160, 128);
        c.params.Apply(image);
        EXPECT_EQ(c.y, image.y[0]) << c.name;
        EXPECT_EQ(c.u, image.u[0]) << c.name;
        EXPECT_EQ(c.v, image.v[0]) << c.name;
    }
}

TEST(DigitFont, DrawsWhiteDigitsOnABlackBox)
{
    YuvImage image = Flat(100, 90, 90);
    CDigitFont::Draw(image, 2, 0, "1", 1);
    EXPECT_EQ(7, CDigitFont::BoxWidth("1", 1));
    EXPECT_EQ(9, CDigitFont::BoxHeight(1));
    // The glyph's top row of "1" is ..X.. : the box starts at (2, 0), the glyph one pixel in.
    const int row = 1 * image.width;
    EXPECT_EQ(16, image.y[row + 2]);
    EXPECT_EQ(16, image.y[row + 4]);
    EXPECT_EQ(235, image.y[row + 5]);
    EXPECT_EQ(16, image.y[row + 6]);
    EXPECT_EQ(100, image.y[row + 10]) << "outside the box";
    EXPECT_EQ(128, image.u[1]) << "grey under the text";
}

TEST(TestPicture, PanningShiftsThePicture)
{
    CTestPicture picture(64, 32);
    CSceneView view(64, 32);
    picture.Render(0, view);
    YuvImage before = picture.Image();
    view.Apply(CSceneView::kPanRight, 1, 0, 0, 0); // 8 pixels
    picture.Render(0, view);
    const YuvImage& after = picture.Image();
    for (int x = 0; x + 8 < 64; ++x)
        EXPECT_EQ(before.y[30 * 64 + x + 8], after.y[30 * 64 + x]) << x;
    EXPECT_NE(before.y, after.y);
}

} // namespace
