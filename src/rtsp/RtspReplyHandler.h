#pragma once

// What the control connection reports back to its owner, on the thread that sent the request,
// while the owner's lock is held.
class CRtspReplyHandler {
public:
    // A successful SETUP reply: its body (the stream header) and its timestamp, -1 without one.
    virtual void OnSetup(const unsigned char* body, int bodyLength, int timestamp) = 0;
    // Successful replies to PLAY (start or resume), PAUSE and a seek PLAY.
    virtual void OnPlayReply() = 0;
    virtual void OnPauseReply() = 0;
    virtual void OnRandomPlayReply() = 0;
    // One step of the rate ladder: +1 faster, -1 slower.
    virtual void OnScaleReply(int step) = 0;
    // The SETUP exchange failed: no reply in time, connection closed or an error status.
    virtual void OnConnectFailed() = 0;
    // A sixth keep-alive in a row is about to go out with none of the five before it answered.
    virtual void OnKeepAliveLost() = 0;

protected:
    ~CRtspReplyHandler() = default;
};
