#include "TestSimulator.h"

#include <cstdlib>

struct CTestSimulator::Server {
};

CTestSimulator::CTestSimulator() = default;

CTestSimulator::~CTestSimulator() = default;

// Only a simulator on loopback: the tests send nothing anywhere else.
CTestSimulator::Outcome CTestSimulator::Start(std::string& detail)
{
    const char* given = getenv("STREAMCLIENT_SIMULATOR");
    address = given ? given : "";
    if (address.rfind("rtsp://127.0.0.1:", 0) == 0)
        return Outcome::Started;
    detail = address.empty() ? "no simulator: STREAMCLIENT_SIMULATOR names none (scripts/wine-suites starts one)"
                             : "STREAMCLIENT_SIMULATOR is no rtsp://127.0.0.1:PORT address: " + address;
    return address.empty() ? Outcome::Absent : Outcome::Failed;
}

void CTestSimulator::Stop()
{
}
