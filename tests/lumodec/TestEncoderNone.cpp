#include "TestEncoder.h"

#include <cstddef>

namespace {

void AddNal(Bytes& unit, unsigned char header, size_t size)
{
    unit.insert(unit.end(), {0, 0, 0, 1, header});
    for (size_t i = 0; i < size; ++i)
        unit.push_back(static_cast<unsigned char>(0x40 + i % 0x3f));
}

} // namespace

// Parameter sets and a key frame large enough to be fragmented first, plain slices after.
std::vector<Bytes> TestVideo(int frames)
{
    std::vector<Bytes> units(static_cast<size_t>(frames));
    AddNal(units[0], 0x67, 10);
    AddNal(units[0], 0x68, 4);
    AddNal(units[0], 0x65, 3000);
    for (size_t i = 1; i < units.size(); ++i)
        AddNal(units[i], 0x41, 400);
    return units;
}
