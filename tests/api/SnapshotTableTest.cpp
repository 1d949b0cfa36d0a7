#include "api/SnapshotTable.h"
#include "fakes/FakeLumodec.h"
#include "fakes/WaitUntil.h"
#include "platform/LibraryWaits.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <string>

namespace {

const int kPort = 7;

// Runs a request on another thread, as the host's thread would wait in it.
std::future<int> RequestAsync(const std::string& path, int format)
{
    return std::async(std::launch::async, [path, format] {
        return CSnapshotTable::Instance().Request(kPort, path.c_str(), format);
    });
}

bool Registered()
{
    return WaitUntil([] { return CFakeLumodec::HasDisplayCallBack(kPort); });
}

class SnapshotTable : public ::testing::Test {
protected:
    void SetUp() override { CFakeLumodec::Reset(); }
};

} // namespace

TEST_F(SnapshotTable, NextFrameShownIsWrittenOnceInTheRequestedFormat)
{
    const struct { int format; const char* conversion; /* null: no file */ } cases[] = {
        {0, "Lumo_ConvertToBmpFile(12,4,2,3,/tmp/shot)"},
        {1, "Lumo_ConvertToJpegFile(12,4,2,3,/tmp/shot)"},
        {0x10001, "Lumo_ConvertToJpegFile(12,4,2,3,/tmp/shot)"}, // only the low 16 bits count
        {2, nullptr},
    };
    for (const auto& c : cases) {
        CFakeLumodec::Reset();
        auto start = std::chrono::steady_clock::now();
        std::future<int> result = RequestAsync("/tmp/shot", c.format);
        ASSERT_TRUE(Registered());
        ASSERT_TRUE(CFakeLumodec::ShowFrame(kPort));
        EXPECT_FALSE(CFakeLumodec::ShowFrame(kPort)) << "the callback must unregister after one frame";
        EXPECT_EQ(0, result.get());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the wait must end early";

        std::vector<std::string> expected = {"Lumo_SetDisplayCallBack(7,callback)"};
        if (c.conversion)
            expected.push_back(c.conversion);
        expected.push_back("Lumo_SetDisplayCallBack(7,null)");
        EXPECT_EQ(expected, CFakeLumodec::Calls()) << "format " << c.format;
    }
}

// Longer paths, none, and negative ports are refused; a frame for a negative port is ignored.
TEST_F(SnapshotTable, PathOfAtMost1024CharactersIsAccepted)
{
    std::string longest(1024, 'p');
    std::future<int> result = RequestAsync(longest, 0);
    ASSERT_TRUE(Registered());
    CFakeLumodec::ShowFrame(kPort);
    EXPECT_EQ(0, result.get());
    EXPECT_EQ("Lumo_ConvertToBmpFile(12,4,2,3," + longest + ")", CFakeLumodec::CallsOf("Lumo_ConvertToBmpFile").at(0));

    CFakeLumodec::Reset();
    EXPECT_EQ(-1, CSnapshotTable::Instance().Request(kPort, std::string(1025, 'p').c_str(), 0));
    EXPECT_EQ(-1, CSnapshotTable::Instance().Request(kPort, nullptr, 0));
    EXPECT_EQ(-1, CSnapshotTable::Instance().Request(-1, "/tmp/shot", 0));
    CSnapshotTable::GrabPicDisplayCallBack(-1, nullptr, 0, 0, 0, 0, 3, 0);
    EXPECT_TRUE(CFakeLumodec::Calls().empty());
}

// Slots are indexed by port modulo 100: the later of two requests on ports 7 and 107 decides
// the file of both.
TEST_F(SnapshotTable, PortsAHundredApartShareASlot)
{
    CLibraryWaits::Set(CLibraryWaits::SnapshotStep, 1); // both requests time out at once
    EXPECT_EQ(0, CSnapshotTable::Instance().Request(107, "/tmp/first", 0));
    EXPECT_EQ(0, CSnapshotTable::Instance().Request(kPort, "/tmp/second", 1));
    ASSERT_TRUE(CFakeLumodec::ShowFrame(107));
    EXPECT_EQ((std::vector<std::string>{"Lumo_SetDisplayCallBack(107,callback)", "Lumo_SetDisplayCallBack(7,callback)",
                                        "Lumo_ConvertToJpegFile(12,4,2,3,/tmp/second)", "Lumo_SetDisplayCallBack(107,null)"}),
              CFakeLumodec::Calls());
}

// Takes the whole 20 s wait.
TEST_F(SnapshotTable, WaitEndsAfterTwentySecondsAndTheRequestStaysPending)
{
    CLibraryWaits::Restore(); // the shipped length
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, CSnapshotTable::Instance().Request(kPort, "/tmp/late", 1));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(19800));
    EXPECT_LT(waited, std::chrono::seconds(23));
    ASSERT_TRUE(CFakeLumodec::ShowFrame(kPort));
    EXPECT_EQ(1u, CFakeLumodec::CallsOf("Lumo_ConvertToJpegFile").size());
}
