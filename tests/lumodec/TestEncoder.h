#pragma once

#include <vector>

typedef std::vector<unsigned char> Bytes;

// A short H.264 video for the tests, as Annex-B access units, one per frame.
struct TestVideoSpec {
    int width = 64;
    int height = 48;
    int frames = 10;
    // Every keyInterval-th frame, from the first, is a key frame.
    int keyInterval = 5;
    // Flat pictures of these values, or, with moving, a moving pattern.
    int y = 120;
    int u = 70;
    int v = 190;
    bool moving = false;
    int bitRate = 0;
};

// Built with FFmpeg's encoder where the stand-in decodes (TestEncoderFfmpeg.cpp); elsewhere
// (TestEncoderNone.cpp) the units only look like H.264 to a depacketiser: parameter sets and
// IDR slices on key frames, plain slices between, bytes that decode into nothing.
class CTestEncoder {
public:
    static bool Encode(const TestVideoSpec& clip, std::vector<Bytes>* units);
    // A flat video of the default size; a failure to encode fails the test.
    static std::vector<Bytes> Video(int frames, int keyInterval);
};
