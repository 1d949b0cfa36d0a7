#pragma once

#include <optional>
#include <vector>

// Durations of one kind of call (set-up, stop, ...) in milliseconds, and their percentiles.
class CLatencySamples {
public:
    void Add(double milliseconds) { samples.push_back(milliseconds); }
    size_t Count() const { return samples.size(); }
    // The nearest-rank percentile (0 < percent <= 100): the smallest sample with at least that
    // share of the samples at or below it. None without samples.
    std::optional<double> Percentile(double percent) const;
    std::optional<double> Max() const { return Percentile(100); }

private:
    std::vector<double> samples;
};
