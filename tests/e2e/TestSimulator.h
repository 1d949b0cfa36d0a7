#pragma once

#include <memory>
#include <string>

// The server simulator an end-to-end test plays from. The Linux builds start one in the test's
// own process (TestSimulatorInProcess.cpp). The Windows builds have none of their own, since
// the simulator encodes with a libavcodec they lack: their tests play from one running beside
// them on Linux, whose address (rtsp://127.0.0.1:PORT) the environment variable
// STREAMCLIENT_SIMULATOR names (TestSimulatorBeside.cpp; scripts/wine-suites sets it).
class CTestSimulator {
public:
    enum class Outcome { Started, Absent, Failed };

    CTestSimulator();
    ~CTestSimulator();
    CTestSimulator(const CTestSimulator&) = delete;
    CTestSimulator& operator=(const CTestSimulator&) = delete;

    // Absent or Failed with the reason in detail.
    Outcome Start(std::string& detail);
    // Stops one started here.
    void Stop();
    // rtsp://127.0.0.1:PORT
    const std::string& Address() const { return address; }

private:
    struct Server;
    std::unique_ptr<Server> server;
    std::string address;
};
