#include "TestSimulator.h"

#include "SimServer.h"

struct CTestSimulator::Server {
    explicit Server(const ServerOptions& options) : simulator(options) {}
    CSimServer simulator;
};

CTestSimulator::CTestSimulator() = default;

CTestSimulator::~CTestSimulator() = default;

CTestSimulator::Outcome CTestSimulator::Start(std::string& detail)
{
    ServerOptions options;
    options.port = 0;
    server.reset(new Server(options));
    if (!server->simulator.Start(detail))
        return Outcome::Failed;
    address = "rtsp://127.0.0.1:" + std::to_string(server->simulator.Port());
    return Outcome::Started;
}

void CTestSimulator::Stop()
{
    if (server)
        server->simulator.Stop();
}
