// simserver: a server of the system's RTSP dialect with synthetic H.264 video, for host
// developers, the tests and the demo. See ServerOptions for the flags.
#include "ServerOptions.h"
#include "SimServer.h"
#include "StopSignal.h"

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    ServerOptions options;
    std::string error;
    if (!options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::fprintf(stderr, "simserver: %s\n%s", error.c_str(), ServerOptions::Usage());
        return 2;
    }
    CatchStopSignals();
    CSimServer server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "simserver: %s\n", error.c_str());
        return 1;
    }
    std::printf("simserver listening on rtsp://127.0.0.1:%u/ (live: /av_stream, anything else: recorded)\n",
                server.Port());
    std::fflush(stdout);
    while (!StopSignalled())
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.Stop();
    return 0;
}
