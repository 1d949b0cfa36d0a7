#include "BenchOptions.h"

#include <cstdlib>
#include <sstream>

namespace {

const long kMaxValue = 1000;

bool ReadCount(const std::string& text, int& value)
{
    char* end = nullptr;
    long read = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || read < 1 || read > kMaxValue)
        return false;
    value = static_cast<int>(read);
    return true;
}

bool ReadCounts(const std::string& text, std::vector<int>& values)
{
    values.clear();
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        values.push_back(0);
        if (!ReadCount(item, values.back()))
            return false;
    }
    return !values.empty();
}

} // namespace

bool BenchOptions::Parse(int argc, char** argv, std::string& error)
{
    for (int i = 1; i < argc; i += 2) {
        std::string name = argv[i];
        std::string value = i + 1 < argc ? argv[i + 1] : "";
        bool read = false;
        if (name == "--seconds") {
            read = ReadCount(value, seconds);
        } else if (name == "--streams") {
            read = ReadCounts(value, streams);
        } else {
            error = "unknown option " + name;
            return false;
        }
        if (!read) {
            error = name + " takes whole numbers from 1 to " + std::to_string(kMaxValue);
            return false;
        }
    }
    return true;
}
