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

bool CTestEncoder::Encode(const TestVideoSpec& clip, std::vector<Bytes>* units)
{
    units->clear();
    for (int i = 0; i < clip.frames; ++i) {
        Bytes unit;
        if (i % clip.keyInterval == 0) {
            AddNal(unit, 0x67, 10);   // sequence parameter set
            AddNal(unit, 0x68, 4);    // picture parameter set
            AddNal(unit, 0x65, 3000); // IDR slice, large enough to be fragmented
        } else {
            AddNal(unit, 0x41, 400);
        }
        units->push_back(unit);
    }
    return true;
}
