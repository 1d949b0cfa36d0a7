#pragma once

#include <cstdint>

// The decoder counts played time in units of 64 ms; hosts get whole seconds. Unsigned 32-bit
// arithmetic: the product wraps before the division, as hosts have always seen it.
inline uint32_t PlayedUnitsToSeconds(uint32_t units)
{
    return static_cast<uint32_t>(units * 64u) / 1000u;
}
