#pragma once

#include "RequestHandler.h"
#include "ServerOptions.h"
#include "platform/platform.h"
#include "rtspmsg/RtspParser.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class CRtspMessage;
class CRtspResponse;

// One client's control connection on a thread of its own: reads requests, has them parsed by
// the message library, answers them one at a time, and ends the client's sessions when the
// client goes, when the server stops, or when a close-after fault says so.
class CControlConnection {
public:
    // Requests larger than this are refused and the connection closed.
    static constexpr size_t kMaxRequest = 16384;

    CControlConnection(SOCKET socket, const ServerOptions& options);
    // Stops and waits for the thread.
    ~CControlConnection();
    CControlConnection(const CControlConnection&) = delete;
    CControlConnection& operator=(const CControlConnection&) = delete;

    void Start();
    void Stop() { stopping = true; }
    bool Finished() const { return finished; }

private:
    void Run();
    bool ShouldClose() const;
    bool Receive();
    // Answers every complete request in the buffer; false when the connection must close.
    bool ServeBuffered();
    // 0 while more bytes are awaited, otherwise the bytes the request or the garbage took.
    int NextRequest(std::unique_ptr<CRtspMessage>& request);
    int UnreadableHead() const;
    bool AwaitsBody(int headerLength) const;
    bool Answer(const CRtspMessage* request, int cseq);
    bool SendReply(CRtspResponse& reply);
    void Log(const char* direction, const std::string& text) const;

    SOCKET socket;
    const ServerOptions& options;
    CRequestHandler handler;
    CRtspParser parser;
    std::string pending;
    const std::chrono::steady_clock::time_point opened;
    std::atomic<bool> stopping{false};
    std::atomic<bool> finished{false};
    std::thread thread;
};
