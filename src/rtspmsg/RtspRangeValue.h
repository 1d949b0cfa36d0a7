#pragma once

#include "rtspmsg/RtspHeaderValue.h"

#include <string>

// The value of a "Range" header: start and end in milliseconds (-1 when open) and the unit
// they are written in. Its one parameter is the range text, e.g. "10.500000-20".
class CRtspRangeValue : public CRtspHeaderValue {
public:
    static constexpr int kSmpte = 0;
    static constexpr int kNpt = 2;
    // A start or end that is not given.
    static constexpr int kOpen = -1;

    CRtspRangeValue(int start, int end, int unit);

    // The unit's prefix ("smpte=" or "npt=") and the range text.
    void Append(std::string& out) override;

    int start;
    int end;
    int unit;
};
