// simserver_capacity: how many live streams the server simulator keeps at their frame rate, and
// the CPU each costs. Each round starts a simulator in this process, sets up and plays N live
// 640x360 25 fps streams over UDP on 127.0.0.1 and counts the pictures every receiving end gets.
// The CPU is the whole process's: the simulator and the receiving ends, which cost little.
//   simserver_capacity [--seconds S] [--streams N[,M...]]      defaults: 10 s; 1,40,60,80,100
#include "BenchOptions.h"
#include "CpuMeter.h"
#include "LiveStream.h"
#include "SimServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

bool MeasureRound(int count, int seconds)
{
    ServerOptions options;
    options.port = 0;
    CSimServer server(options);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "simserver_capacity: %s\n", error.c_str());
        return false;
    }
    std::vector<std::unique_ptr<CLiveStream>> streams;
    for (int i = 0; i < count; ++i)
        streams.emplace_back(new CLiveStream(server.Port()));
    std::this_thread::sleep_for(std::chrono::seconds(1)); // encoders open, first key frames out
    CCpuMeter cpu;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> counters;
    for (auto& stream : streams)
        counters.emplace_back(&CLiveStream::Count, stream.get(), until);
    for (std::thread& counter : counters)
        counter.join();
    double corePercent = cpu.CorePercent();
    int pictures = 0;
    int slowest = options.fps * seconds;
    for (auto& stream : streams) {
        pictures += stream->Pictures();
        slowest = std::min(slowest, stream->Pictures());
    }
    double wanted = double(count) * options.fps * seconds;
    std::printf("%7d %11d %10.1f %8.1f %12.1f %12.1f %12.2f\n", count, count * options.fps, pictures / double(seconds),
                100 * pictures / wanted, slowest / double(seconds), corePercent, corePercent / count);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    BenchOptions options{10, {1, 40, 60, 80, 100}};
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "simserver_capacity: %s\nusage: simserver_capacity [--seconds S] [--streams N[,M...]]\n",
                     error.c_str());
        return 2;
    }
    std::printf("live 640x360 streams over UDP, %d s a round; CPU in %% of one core\n", options.seconds);
    std::printf("%7s %11s %10s %8s %12s %12s %12s\n", "streams", "fps wanted", "fps got", "got %", "slowest fps",
                "CPU total", "CPU/stream");
    for (int count : options.streams) {
        if (!MeasureRound(count, options.seconds))
            return 1;
    }
    return 0;
}
