#include "AnnexB.h"

namespace {

// The position of the next 00 00 01 at or after from, or size.
size_t FindStartCode(const uint8_t* data, size_t size, size_t from)
{
    for (size_t i = from; i + 2 < size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i;
    return size;
}

} // namespace

std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size)
{
    std::vector<NalUnit> units;
    size_t start = FindStartCode(data, size, 0);
    while (start < size) {
        size_t begin = start + 3;
        size_t next = FindStartCode(data, size, begin);
        size_t end = next;
        // The zero before 00 00 01 of a 4-byte start code belongs to the code, not to the unit.
        while (end > begin && data[end - 1] == 0 && next < size)
            --end;
        if (end > begin)
            units.push_back(NalUnit{data + begin, end - begin});
        start = next;
    }
    return units;
}
