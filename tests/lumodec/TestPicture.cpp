#include "TestPicture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

Bytes WhiteOverRed(int width, int height)
{
    size_t luma = static_cast<size_t>(width) * height;
    size_t chroma = static_cast<size_t>(width / 2) * (height / 2);
    Bytes picture(luma + 2 * chroma);
    for (int row = 0; row < height; ++row) {
        bool top = row < height / 2;
        for (int x = 0; x < width; ++x)
            picture[row * width + x] = top ? 235 : 81;
        if (row % 2 == 1 || row / 2 >= height / 2)
            continue;
        for (int x = 0; x < width / 2; ++x) {
            size_t at = static_cast<size_t>(row / 2) * (width / 2) + x;
            picture[luma + at] = top ? 128 : 240;          // V
            picture[luma + chroma + at] = top ? 128 : 90;  // U
        }
    }
    return picture;
}

std::string TempPath(const std::string& name)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = ::testing::TempDir() + "lumodec_" + test->test_suite_name() + "_" + test->name() + "_" + name;
    remove(path.c_str());
    return path;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return std::ifstream(path).good();
}
