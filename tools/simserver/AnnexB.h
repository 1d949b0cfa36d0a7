#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One H.264 NAL unit inside someone else's buffer, without its start code.
struct NalUnit {
    const uint8_t* data;
    size_t size;
};

// The NAL units of an Annex B byte stream (each behind a 3- or 4-byte start code), in order.
std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size);
