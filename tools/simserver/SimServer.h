#pragma once

#include "ControlConnection.h"
#include "ServerOptions.h"
#include "platform/platform.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The simulator: listens on 127.0.0.1 and serves each control connection on a thread of its
// own. Start and Stop may be called from a test as from the program's main.
class CSimServer {
public:
    explicit CSimServer(const ServerOptions& options) : options(options) {}
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    // False with a reason in error (the port is taken, no H.264 encoder).
    bool Start(std::string& error);
    // The port listened on, also when the options asked for any port (0).
    unsigned short Port() const { return port; }
    // Closes every connection, ends every session and waits for their threads.
    void Stop();

private:
    void AcceptLoop();
    void ReapFinished();

    const ServerOptions options;
    SOCKET listener = 0;
    unsigned short port = 0;
    std::atomic<bool> stopping{false};
    std::vector<std::unique_ptr<CControlConnection>> connections; // the accept thread's alone
    std::thread acceptThread;
};
