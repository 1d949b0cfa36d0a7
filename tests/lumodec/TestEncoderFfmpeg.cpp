#include "TestEncoder.h"

#include "H264Encoder.h"

#include <gtest/gtest.h>

#include <algorithm>

std::vector<Bytes> TestVideo(int frames)
{
    CH264Encoder encoder;
    std::string error;
    EXPECT_TRUE(encoder.Open(kTestVideoWidth, kTestVideoHeight, 25, error)) << error;
    YuvImage image(kTestVideoWidth, kTestVideoHeight);
    std::fill(image.y.begin(), image.y.end(), kTestVideoY);
    std::fill(image.u.begin(), image.u.end(), kTestVideoU);
    std::fill(image.v.begin(), image.v.end(), kTestVideoV);
    std::vector<Bytes> units(static_cast<size_t>(frames));
    for (Bytes& unit : units)
        EXPECT_TRUE(encoder.Encode(image, false, unit));
    return units;
}
