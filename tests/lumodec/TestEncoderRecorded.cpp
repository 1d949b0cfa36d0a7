#include "TestEncoder.h"

#include "AnnexB.h"
#include "TestVideoRecording.h"

#include <gtest/gtest.h>

// Each frame of the recording is one slice with the parameter sets and SEI before it.
std::vector<Bytes> TestVideo(int frames)
{
    std::vector<Bytes> units(1);
    const unsigned char kStartCode[] = {0, 0, 0, 1};
    for (const NalUnit& nal : SplitAnnexB(kTestVideoRecording, kTestVideoRecordingSize)) {
        if (units.size() > static_cast<size_t>(frames))
            break;
        units.back().insert(units.back().end(), kStartCode, kStartCode + sizeof kStartCode);
        units.back().insert(units.back().end(), nal.data, nal.data + nal.size);
        int type = nal.data[0] & 0x1f;
        if (type == 1 || type == 5)
            units.emplace_back();
    }
    units.pop_back();
    EXPECT_EQ(units.size(), static_cast<size_t>(frames)) << "frames in the recording";
    return units;
}
