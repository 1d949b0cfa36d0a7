#include "SoakServers.h"

namespace {

// Every server's stream: small, slow and two minutes long when recorded.
const std::vector<std::string> kCommonFlags = {"--port", "0",  "--width",    "160", "--height",
                                               "96",     "--fps", "10", "--duration", "120"};

// The faults, as the simulator's command line spells them.
const std::vector<std::vector<std::string>> kFaults = {
    {},
    {"--loss", "20"},
    {"--fault", "delay-replies=2500"},
    // Beyond the library's 8 s reply wait: every reply comes too late, to the next request.
    {"--fault", "delay-replies=9000"},
    {"--fault", "ignore-keepalive"},
    {"--fault", "error=PLAY:503", "--fault", "error=PAUSE:455"},
    {"--fault", "error=SETUP:454"},
    {"--fault", "error=TEARDOWN:500", "--fault", "error=OPTIONS:551"},
    {"--fault", "close-after=3"},
    // Blaster packets instead of video, 2.8 MB/s a session: a stream far busier than the rest.
    {"--blast", "2000"},
};

const char kLivePath[] = "/live/av_stream";
// Nothing listens on port 1 of the loopback address: the connection is refused at once.
const char kClosedPortUrl[] = "rtsp://127.0.0.1:1/live/av_stream";
// One more than a path may have.
const size_t kOverlongPath = 1024;
// In a hundred URLs, how many the library must refuse or cannot reach, and how many go to the
// well-behaved server: faulty ones hold their players' calls for seconds, and the host threads
// would spend the soak waiting on them.
const int kRefusedPercent = 10;
const int kCleanPercent = 40;

std::string Join(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text.empty() ? "no fault" : text;
}

} // namespace

bool CSoakServers::Start(std::string& error)
{
    for (const std::vector<std::string>& fault : kFaults) {
        std::vector<std::string> flags = kCommonFlags;
        flags.insert(flags.end(), fault.begin(), fault.end());
        ServerOptions options;
        if (!options.Parse(flags, error))
            return false;
        Server server{Join(fault), std::unique_ptr<CSimServer>(new CSimServer(options))};
        if (!server.simulator->Start(error))
            return false;
        servers.push_back(std::move(server));
    }
    return true;
}

void CSoakServers::Stop()
{
    for (Server& server : servers)
        server.simulator->Stop();
}

std::string CSoakServers::Describe() const
{
    std::string text;
    for (const Server& server : servers)
        text += "  127.0.0.1:" + std::to_string(server.simulator->Port()) + "  " + server.name + "\n";
    return text;
}

std::string CSoakServers::StreamUrl(const Server& server, bool live) const
{
    std::string base = "rtsp://127.0.0.1:" + std::to_string(server.simulator->Port());
    return base + (live ? kLivePath : "/record/soak.mp4");
}

std::string CSoakServers::CleanLiveUrl() const
{
    return StreamUrl(servers.front(), true);
}

std::string CSoakServers::RandomUrl(std::mt19937& random, bool& refused) const
{
    refused = static_cast<int>(random() % 100) < kRefusedPercent;
    if (refused)
        return RefusedUrl(random);
    bool clean = static_cast<int>(random() % 100) < kCleanPercent;
    const Server& server = clean ? servers.front() : servers[1 + random() % (servers.size() - 1)];
    return StreamUrl(server, random() % 2 == 0);
}

std::string CSoakServers::RefusedUrl(std::mt19937& random) const
{
    std::string clean = CleanLiveUrl();
    std::string port = std::to_string(servers.front().simulator->Port());
    const std::string urls[] = {
        "RTSP" + clean.substr(4),
        "http" + clean.substr(4),
        "rtsp://localhost:" + port + kLivePath,
        "rtsp://127.0.0.1:" + port + "/" + std::string(kOverlongPath, 'a'),
        "",
        kClosedPortUrl,
    };
    return urls[random() % (sizeof urls / sizeof urls[0])];
}
