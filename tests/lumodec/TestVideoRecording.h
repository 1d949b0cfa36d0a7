#pragma once

#include <cstddef>

// test-video.h264, compiled in (TestVideoRecording.cpp is written by CMake): a test program
// running under Wine need not find the source tree.
extern const unsigned char kTestVideoRecording[];
extern const size_t kTestVideoRecordingSize;
