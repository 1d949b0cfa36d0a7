#include "LatencySamples.h"

#include <algorithm>
#include <cmath>

std::optional<double> CLatencySamples::Percentile(double percent) const
{
    if (samples.empty())
        return std::nullopt;
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    // Multiplied first: 90 * 10 / 100 is exactly 9, 0.9 * 10 need not be.
    double rank = std::ceil(percent * static_cast<double>(sorted.size()) / 100.0);
    size_t index = rank < 1 ? 0 : std::min(static_cast<size_t>(rank) - 1, sorted.size() - 1);
    return sorted[index];
}
