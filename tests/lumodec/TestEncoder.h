#pragma once

#include <vector>

typedef std::vector<unsigned char> Bytes;

// The tests' short H.264 video: flat pictures of these values.
const int kTestVideoWidth = 64;
const int kTestVideoHeight = 48;
const int kTestVideoY = 120;
const int kTestVideoU = 70;
const int kTestVideoV = 190;

// Annex-B access units, one per frame (at most 100), the first a key frame. Where the stand-in
// decodes they are the recording test-video.h264 (TestEncoderRecorded.cpp); elsewhere
// (TestEncoderNone.cpp) the units only look like H.264 to a depacketiser.
std::vector<Bytes> TestVideo(int frames);
