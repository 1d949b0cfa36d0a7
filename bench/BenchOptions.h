#pragma once

#include <string>
#include <vector>

// The command line of the whole-system measurements: how long each round measures and how many
// streams each round plays at once, one round per count.
//   --seconds S  --streams N[,M...]
struct BenchOptions {
    int seconds;
    std::vector<int> streams;

    // Reads the arguments after the program name over the defaults; false with a reason in error.
    bool Parse(int argc, char** argv, std::string& error);
};
