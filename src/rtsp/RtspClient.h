#pragma once

#include "platform/platform.h"
#include "rtspmsg/RtspParser.h"

#include <memory>
#include <string>

class CRtspMessage;
class CRtspResponse;
class CRtspReplyHandler;

// The kind of request whose reply is awaited. The plain methods use their index in the method
// table; the PLAY variants and the parameter requests have codes of their own.
enum RequestKind {
    kSetupRequest = 0,
    kTeardownRequest = 1,
    kPlayRequest = 2,
    kPauseRequest = 3,
    kKeepAliveRequest = 6,
    kRandomPlayRequest = 11,
    kChangeRateRequest = 12,
    kSetVideoParamsRequest = 13,
    kGetVideoParamsRequest = 14,
    kCommandRequest = 15,
};

// The RTSP control connection of one source. The dialect is strictly one request at a time:
// the first complete response after a request is its reply, whatever its CSeq. It has no thread
// and no lock: the caller holds its owner's lock from formatting to the end of the reply
// handling, and the reply notifications run on the caller's thread.
class CRtspClient {
public:
    static constexpr int kBufferSize = 1024;
    // Unanswered keep-alives tolerated; the next one reports the server lost.
    static constexpr unsigned kMaxKeepAliveMisses = 5;
    static constexpr int kScaleSteps = 7;

    CRtspClient() = default;
    ~CRtspClient();
    CRtspClient(const CRtspClient&) = delete;
    CRtspClient& operator=(const CRtspClient&) = delete;

    // Takes charge of the connected socket (closed on destruction). -1 if either is missing.
    int Attach(SOCKET socket, CRtspReplyHandler* owner);
    void SetUrl(const char* url);

    // Each returns 0 when a reply was received and handled, otherwise nonzero (as a rule -1).
    // A request that would not fit the send buffer is refused with -1 before anything is sent.
    int SendSetupUdp(unsigned short clientPort);
    int SendSetupTcp(unsigned short clientPort);
    int SendPlay(unsigned startSecond);
    int SendRandomPlay(unsigned startSecond);
    int SendChangeRate(int rate, unsigned startSecond);
    int SendKeepAlive();
    int SendPause();
    int SendResume();
    int SendTeardown();
    // On 0 the four outputs receive the last picture parameters read; on failure nothing.
    int SendGetVideoParams(int* brightness, int* contrast, int* saturation, int* hue);
    int SendSetVideoParams(int brightness, int contrast, int saturation, int hue);
    int SendCommand(int command, int param1, int param2, int param3, int param4);

    int SendRequest();
    int RecvRtspResponse();

    const std::string& GetSession() const { return session; }
    unsigned short GetServerPort() const { return serverPort; }
    int GetLastStatus() const { return lastStatus; }

    // The rate-ladder step a Scale reply makes from the entry at index: -1, 0 or +1; never
    // past either end of the ladder.
    static int ScaleStep(int index, int scale);

private:
    int Format(RequestKind kind, const char* format, ...);
    int SendMessage(RequestKind kind, CRtspMessage& request);
    int SendSetup(const char* transport, unsigned short clientPort);
    int SendPlayFrom(RequestKind kind, unsigned startSecond);
    int ReceiveReply();
    std::unique_ptr<CRtspResponse> NextResponse();
    int HandleReply(CRtspResponse& reply);
    int HandleSuccess(CRtspMessage& reply);
    void ReadSetup(CRtspMessage& reply);
    void TrackRate(CRtspMessage& reply);
    bool ReadVideoParams(CRtspMessage& reply);
    int TransportFailure(const char* line);

    unsigned keepAliveMisses = 0;
    unsigned cseq = 1;
    std::string url;
    std::string userAgent = "Varoplayer";
    std::string session;
    bool hasTimestamp = true;
    char sendBuffer[kBufferSize] = {};
    char recvBuffer[kBufferSize] = {};
    unsigned requestLength = 0;
    unsigned recvFill = 0;
    unsigned short serverPort = 0;
    int scaleIndex = 3;
    RequestKind pendingKind = kSetupRequest;
    int lastStatus = -1;
    SOCKET controlSocket = 0;
    CRtspReplyHandler* owner = nullptr;
    int videoParams[4] = {};
    CRtspParser parser;
};
