#include "TestSimulator.h"

#include <cstdlib>

struct CTestSimulator::Server {
};

CTestSimulator::CTestSimulator() = default;

CTestSimulator::~CTestSimulator() = default;

namespace {

// Only a simulator on this machine's loopback: the tests send nothing anywhere else. Inside the
// emulated i386 guest that is 10.0.2.2, which QEMU's user networking turns into 127.0.0.1 of the
// machine.
bool OnLoopback(const std::string& address)
{
    for (const char* prefix : {"rtsp://127.0.0.1:", "rtsp://10.0.2.2:"}) {
        if (address.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

} // namespace

CTestSimulator::Outcome CTestSimulator::Start(std::string& detail)
{
    const char* given = getenv("STREAMCLIENT_SIMULATOR");
    address = given ? given : "";
    if (OnLoopback(address))
        return Outcome::Started;
    detail = address.empty() ? "no simulator: STREAMCLIENT_SIMULATOR names none (scripts/wine-suites starts one)"
                             : "STREAMCLIENT_SIMULATOR is no loopback address (rtsp://127.0.0.1:PORT): " + address;
    return address.empty() ? Outcome::Absent : Outcome::Failed;
}

void CTestSimulator::Stop()
{
}
