#pragma once

#include "platform/platform.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// How the fake server answers one request.
struct FakeReply {
    // Written in order, delayMs apart (and delayMs before the first); none: never answered.
    std::vector<std::string> pieces;
    int delayMs = 0;
    // Closes the control connection after writing.
    bool close = false;

    static FakeReply Text(const std::string& text) { return FakeReply{{text}, 0, false}; }
    static FakeReply Silence() { return FakeReply{{}, 0, false}; }
};

// "RTSP/1.0 <status>\r\nCSeq: <cseq>\r\n<header lines>" plus Content-Length and the body when
// there is one, ended by the blank line.
std::string ReplyText(const std::string& status, int cseq, const std::vector<std::string>& headers,
                      const std::string& body = "");

// A scripted RTSP server on 127.0.0.1 for the library's tests. It records every request byte
// for byte and answers from a script.
// Keep-alive requests (ANNOUNCE) are recorded apart and answered by their own rule, so that
// cases stay deterministic whenever a keep-alive interleaves.
class CFakeRtspServer {
public:
    CFakeRtspServer();
    ~CFakeRtspServer();
    CFakeRtspServer(const CFakeRtspServer&) = delete;
    CFakeRtspServer& operator=(const CFakeRtspServer&) = delete;

    unsigned short Port() const { return port; }
    std::string Url(const std::string& path) const;

    // Answers requests in arrival order from the script; once it is used up, with 200 OK.
    void Script(const std::vector<FakeReply>& replies);
    // Keep-alives are answered 200 OK unless told otherwise.
    void SetKeepAliveReply(const FakeReply& reply);

    std::vector<std::string> Requests();
    std::vector<std::string> KeepAlives();
    // A request is recorded before it is answered, so a client call that got its reply finds
    // it here; keep-alives, sent by a thread of the library, are waited for.
    bool WaitForKeepAlives(size_t count, int timeoutMs);

private:
    struct Connection {
        SOCKET socket;
        std::string pending;
    };

    void Run();
    void Accept();
    bool Serve(Connection& connection);
    bool Answer(Connection& connection, const std::string& request);
    FakeReply ReplyTo(const std::string& request);

    SOCKET listener = 0;
    unsigned short port = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> requests;
    std::vector<std::string> keepAlives;
    std::deque<FakeReply> script;
    FakeReply keepAliveReply;
    bool keepAliveScripted = false;
    std::vector<Connection> connections;
    bool stopping = false;
    std::thread thread;
};
