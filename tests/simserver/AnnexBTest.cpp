#include "AnnexB.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct SplitCase { const char* name; std::string stream; std::vector<std::string> units; };

std::string Bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int v : values)
        text += static_cast<char>(v);
    return text;
}

TEST(AnnexB, SplitsAtThreeAndFourByteStartCodes)
{
    const SplitCase cases[] = {
        {"empty", "", {}},
        {"no start code", Bytes({0x67, 1, 2}), {}},
        {"four-byte codes", Bytes({0, 0, 0, 1, 0x67, 1, 0, 0, 0, 1, 0x68, 2}), {Bytes({0x67, 1}), Bytes({0x68, 2})}},
        {"three-byte codes", Bytes({0, 0, 1, 0x65, 9, 0, 0, 1, 0x41, 8}), {Bytes({0x65, 9}), Bytes({0x41, 8})}},
        {"trailing zero kept at the end", Bytes({0, 0, 1, 0x65, 0}), {Bytes({0x65, 0})}},
        {"empty unit skipped", Bytes({0, 0, 1, 0, 0, 1, 0x41}), {Bytes({0x41})}},
    };
    for (const SplitCase& c : cases) {
        auto data = reinterpret_cast<const uint8_t*>(c.stream.data());
        std::vector<std::string> units;
        for (const NalUnit& unit : SplitAnnexB(data, c.stream.size()))
            units.emplace_back(reinterpret_cast<const char*>(unit.data), unit.size);
        EXPECT_EQ(c.units, units) << c.name;
    }
}

} // namespace
