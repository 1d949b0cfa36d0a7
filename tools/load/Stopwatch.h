#pragma once

#include <chrono>

// Time since it was started, on the steady clock.
class CStopwatch {
public:
    CStopwatch() : start(std::chrono::steady_clock::now()) {}

    double ElapsedMs() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    double ElapsedSeconds() const { return ElapsedMs() / 1000.0; }

private:
    std::chrono::steady_clock::time_point start;
};
