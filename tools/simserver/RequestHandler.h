#pragma once

#include "ServerOptions.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CMediaSession;
class CRtspMessage;
class CRtspResponse;

// Serves the requests of one control connection and owns the sessions set up on it; they end
// with it. The dialect names a session in the Session header (PLAY with Range or Scale) or, in
// PAUSE, resume PLAY and TEARDOWN, as the User-agent value; the parameter and camera OPTIONS
// name none and mean the connection's latest session.
class CRequestHandler {
public:
    CRequestHandler(const ServerOptions& options, uint32_t clientAddress);
    ~CRequestHandler();
    CRequestHandler(const CRequestHandler&) = delete;
    CRequestHandler& operator=(const CRequestHandler&) = delete;

    // The reply to one parsed message; null when none is to be sent.
    std::unique_ptr<CRtspResponse> Handle(const CRtspMessage& message);
    // Starts the media of the session the last request set up, if it did. Called once the
    // reply is out: starting a thread is the dearest step of a set-up and need not delay it.
    void StartSetUpSession();
    // Ends every session of the connection and its media.
    void EndSessions();
    // A reply carrying only the status (a code of the status table) and the CSeq.
    static std::unique_ptr<CRtspResponse> Reply(const char* code, int cseq);

private:
    using Response = std::unique_ptr<CRtspResponse>;

    Response Setup(const CRtspMessage& request);
    Response Play(const CRtspMessage& request, CMediaSession& session);
    Response Options(const CRtspMessage& request, CMediaSession& session);
    Response Command(const CRtspMessage& request, CMediaSession& session);
    std::unique_ptr<CMediaSession> NewSession(bool tcp, unsigned short clientPort, bool live);
    // The session the request names, or the latest one when it names none; null when unknown.
    CMediaSession* FindSession(const CRtspMessage& request, std::string& id);
    static std::string NamedSession(const CRtspMessage& request);
    std::string NewSessionId();

    const ServerOptions& options;
    const uint32_t clientAddress;
    std::map<std::string, std::unique_ptr<CMediaSession>> sessions;
    std::string latest;
    // Set up by the last request and not yet started; owned by sessions.
    CMediaSession* setUp = nullptr;
};
