#pragma once

#include "SimServer.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

// The simulators the soak plays from, in this process on ports the system picks: one well
// behaved and one for each fault the library must survive. Small pictures at a low rate keep
// the encoding cheap on a shared machine.
class CSoakServers {
public:
    // False with the reason in error when a simulator cannot start.
    bool Start(std::string& error);
    void Stop();
    // Names of the servers, one a line, for the summary.
    std::string Describe() const;
    // Mostly a live or recorded stream of a random server; now and then a URL that the library
    // must refuse or cannot reach (upper-case scheme, a name, an over-long path, a closed port),
    // and then refused is set.
    std::string RandomUrl(std::mt19937& random, bool& refused) const;
    // The live stream of the well-behaved server.
    std::string CleanLiveUrl() const;

private:
    struct Server {
        std::string name;
        std::unique_ptr<CSimServer> simulator;
    };

    std::string StreamUrl(const Server& server, bool live) const;
    std::string RefusedUrl(std::mt19937& random) const;

    std::vector<Server> servers;
};
