#include "rtsp/RtspClient.h"

#include "platform/LibraryWaits.h"
#include "rtsp/RtspReplyHandler.h"
#include "rtspmsg/DecimalText.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"
#include "rtspmsg/RtspTables.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The rate ladder; its middle entry is 0, not 1.
const int kScaleLadder[CRtspClient::kScaleSteps] = {-8, -4, -2, 0, 2, 4, 8};
const int kOkStatus = 1;
// Status indexes from here on are the 4xx and 5xx codes.
const int kFirstErrorStatus = 10;
const int kOptionsMethod = 7;
const char* const kVideoParamHeaders[4] = {"bri", "con", "sat", "hue"};

} // namespace

CRtspClient::~CRtspClient()
{
    if (controlSocket)
        closesocket(controlSocket);
}

int CRtspClient::Attach(SOCKET socket, CRtspReplyHandler* replyOwner)
{
    if (!socket || !replyOwner)
        return -1;
    controlSocket = socket;
    owner = replyOwner;
    return 0;
}

void CRtspClient::SetUrl(const char* text)
{
    url = text ? text : "";
}

// Formats a request into the cleared send buffer and sends it. A text that would not fit is
// refused before anything goes out: a cut request would be worse than none.
int CRtspClient::Format(RequestKind kind, const char* format, ...)
{
    memset(sendBuffer, 0, sizeof sendBuffer);
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(sendBuffer, sizeof sendBuffer, format, arguments);
    va_end(arguments);
    if (length < 0 || length >= kBufferSize) {
        memset(sendBuffer, 0, sizeof sendBuffer);
        return -1;
    }
    pendingKind = kind;
    return SendRequest();
}

int CRtspClient::SendSetup(const char* transport, unsigned short port)
{
    return Format(kSetupRequest,
                  "SETUP %s RTSP/1.0\r\nCSeq: %lu\r\nTransport: %s;unicast;client_port=%u-%u\r\nUser-agent: %s\r\n\r\n",
                  url.c_str(), static_cast<unsigned long>(cseq), transport, static_cast<unsigned>(port),
                  static_cast<unsigned>(port) + 1, userAgent.c_str());
}

int CRtspClient::SendSetupUdp(unsigned short port)
{
    return SendSetup("RTP/AVP/UDP", port);
}

int CRtspClient::SendSetupTcp(unsigned short port)
{
    return SendSetup("RTP/AVP/TCP", port);
}

// "Session:%s" has no space after the colon: servers of this dialect expect it so.
int CRtspClient::SendPlayFrom(RequestKind kind, unsigned startSecond)
{
    return Format(kind, "PLAY %s RTSP/1.0\r\nCSeq: %lu\r\nSession:%s\r\nRange: npt=%lu.0-\r\nUser-agent: %s\r\n\r\n",
                  url.c_str(), static_cast<unsigned long>(cseq), session.c_str(),
                  static_cast<unsigned long>(startSecond), userAgent.c_str());
}

int CRtspClient::SendPlay(unsigned startSecond)
{
    return SendPlayFrom(kPlayRequest, startSecond);
}

int CRtspClient::SendRandomPlay(unsigned startSecond)
{
    return SendPlayFrom(kRandomPlayRequest, startSecond);
}

int CRtspClient::SendChangeRate(int rate, unsigned startSecond)
{
    return Format(kChangeRateRequest,
                  "PLAY %s RTSP/1.0\r\nCSeq: %lu\r\nSession:%s\r\nScale:%d\r\nRange: npt=%lu.0-\r\nUser-agent: %s\r\n\r\n",
                  url.c_str(), static_cast<unsigned long>(cseq), session.c_str(), rate,
                  static_cast<unsigned long>(startSecond), userAgent.c_str());
}

int CRtspClient::SendKeepAlive()
{
    return Format(kKeepAliveRequest, "ANNOUNCE %s RTSP/1.0\r\nCSeq: %lu\r\nAccept: application/sdp\r\nUser-agent: %s\r\n\r\n",
                  url.c_str(), static_cast<unsigned long>(cseq), userAgent.c_str());
}

// PAUSE, the resume PLAY and TEARDOWN carry no Session header; servers of this dialect read the
// session identifier from where the user agent would stand.
int CRtspClient::SendPause()
{
    return Format(kPauseRequest, "PAUSE %s RTSP/1.0\r\nCSeq: %lu\r\nUser-agent: %s\r\n\r\n", url.c_str(),
                  static_cast<unsigned long>(cseq), session.c_str());
}

int CRtspClient::SendResume()
{
    return Format(kPlayRequest, "PLAY %s RTSP/1.0\r\nCSeq: %lu\r\nUser-agent: %s\r\n\r\n", url.c_str(),
                  static_cast<unsigned long>(cseq), session.c_str());
}

int CRtspClient::SendTeardown()
{
    return Format(kTeardownRequest, "TEARDOWN %s RTSP/1.0\r\nCSeq: %lu\r\nUser-agent: %s\r\n\r\n", url.c_str(),
                  static_cast<unsigned long>(cseq), session.c_str());
}

// The parameter requests are OPTIONS messages whose payload travels in headers of their own.
int CRtspClient::SendMessage(RequestKind kind, CRtspMessage& request)
{
    memset(sendBuffer, 0, sizeof sendBuffer);
    if (request.ToBuffer(sendBuffer, kBufferSize) < 0) {
        memset(sendBuffer, 0, sizeof sendBuffer);
        return -1;
    }
    pendingKind = kind;
    return SendRequest();
}

int CRtspClient::SendGetVideoParams(int* brightness, int* contrast, int* saturation, int* hue)
{
    CRtspRequest request;
    request.method = kOptionsMethod;
    request.uri = url;
    request.AddHeader("CSeq", static_cast<int>(cseq));
    int result = SendMessage(kGetVideoParamsRequest, request);
    if (result != 0)
        return result;
    *brightness = videoParams[0];
    *contrast = videoParams[1];
    *saturation = videoParams[2];
    *hue = videoParams[3];
    return 0;
}

int CRtspClient::SendSetVideoParams(int brightness, int contrast, int saturation, int hue)
{
    CRtspRequest request;
    request.method = kOptionsMethod;
    request.uri = url;
    request.AddHeader("CSeq", static_cast<int>(cseq));
    const int values[4] = {brightness, contrast, saturation, hue};
    for (int i = 0; i < 4; ++i)
        request.AddHeader(kVideoParamHeaders[i], values[i]);
    return SendMessage(kSetVideoParamsRequest, request);
}

// Camera values travel unsigned: -1 is written 4294967295.
int CRtspClient::SendCommand(int command, int param1, int param2, int param3, int param4)
{
    CRtspRequest request;
    request.method = kOptionsMethod;
    request.uri = url;
    request.AddHeader("CSeq", static_cast<int>(cseq));
    const char* const names[5] = {"command", "param1", "param2", "param3", "param4"};
    const int values[5] = {command, param1, param2, param3, param4};
    for (int i = 0; i < 5; ++i)
        request.AddHeader(names[i], static_cast<unsigned long>(static_cast<uint32_t>(values[i])));
    return SendMessage(kCommandRequest, request);
}

int CRtspClient::SendRequest()
{
    requestLength = static_cast<unsigned>(strnlen(sendBuffer, sizeof sendBuffer));
    // The text already carries the number; the next request gets the next one, sent or not.
    ++cseq;
    if (pendingKind == kKeepAliveRequest)
        ++keepAliveMisses;
    if (keepAliveMisses > kMaxKeepAliveMisses) {
        DebugOutput("zrk--------client try to disconnect!\n");
        owner->OnKeepAliveLost();
        keepAliveMisses = 0;
    }
    int sent = -1;
    if (controlSocket) {
        if (WaitSocket(controlSocket, SocketWait::Writable, CLibraryWaits::Ms(CLibraryWaits::Send)) != 1)
            return -1;
        sent = SendSocket(controlSocket, sendBuffer, static_cast<int>(requestLength));
    }
    if (sent != static_cast<int>(requestLength))
        return sent;
    int result;
    try {
        result = RecvRtspResponse();
    } catch (...) {
        DebugOutput("zrk---------RecvRtspResponse exception!\n");
        result = -1;
    }
    // Bytes beyond the handled reply are not kept for the next request.
    recvFill = 0;
    return result;
}

int CRtspClient::RecvRtspResponse()
{
    memset(recvBuffer, 0, sizeof recvBuffer);
    recvFill = 0;
    int result = ReceiveReply();
    recvFill = 0;
    return result;
}

int CRtspClient::TransportFailure(const char* line)
{
    DebugOutput(line);
    if (pendingKind == kSetupRequest)
        owner->OnConnectFailed();
    return -1;
}

int CRtspClient::ReceiveReply()
{
    for (;;) {
        int ready = WaitSocket(controlSocket, SocketWait::Readable, CLibraryWaits::Ms(CLibraryWaits::Reply));
        if (ready < 1)
            return TransportFailure("zrk--------client CRtspClient RecvRtspResponse failed 1\n");
        int room = kBufferSize - static_cast<int>(recvFill);
        int received = room > 0 ? static_cast<int>(recv(controlSocket, recvBuffer + recvFill, room, 0)) : 0;
        if (received <= 0)
            return TransportFailure("zrk--------client CRtspClient RecvRtspResponse failed 3\n");
        recvFill += static_cast<unsigned>(received);
        std::unique_ptr<CRtspResponse> reply = NextResponse();
        if (reply)
            return HandleReply(*reply);
        DebugOutput("zrk--------client CRtspClient get error packet!\n");
    }
}

// The first response in the bytes received so far. A request the server sent is no reply:
// its bytes are dropped and the rest is looked at again. (Told apart by type, not by method:
// a request line may well begin with the word RESPONSE.)
std::unique_ptr<CRtspResponse> CRtspClient::NextResponse()
{
    for (;;) {
        int length = static_cast<int>(recvFill);
        std::unique_ptr<CRtspMessage> message(parser.Parse(recvBuffer, length));
        parser.Clear();
        if (!message || length <= 0)
            return nullptr;
        if (CRtspResponse* response = dynamic_cast<CRtspResponse*>(message.get())) {
            message.release();
            return std::unique_ptr<CRtspResponse>(response);
        }
        recvFill -= static_cast<unsigned>(length);
        memmove(recvBuffer, recvBuffer + length, recvFill);
        memset(recvBuffer + recvFill, 0, sizeof recvBuffer - recvFill);
    }
}

int CRtspClient::HandleReply(CRtspResponse& reply)
{
    lastStatus = reply.status;
    if (lastStatus >= kFirstErrorStatus) {
        DebugOutput("zrk--------client CRtspClient RecvRtspResponse receive error report!\n");
        if (pendingKind == kSetupRequest)
            owner->OnConnectFailed();
        return -1;
    }
    // 1xx, 201, 250, 3xx and codes outside the table: nothing to act on.
    if (lastStatus != kOkStatus)
        return 0;
    return HandleSuccess(reply);
}

int CRtspClient::HandleSuccess(CRtspMessage& reply)
{
    switch (pendingKind) {
    case kSetupRequest:
        ReadSetup(reply);
        break;
    case kPlayRequest:
        owner->OnPlayReply();
        break;
    case kPauseRequest:
        owner->OnPauseReply();
        break;
    case kKeepAliveRequest:
        keepAliveMisses = 0;
        break;
    case kRandomPlayRequest:
        owner->OnRandomPlayReply();
        break;
    case kChangeRateRequest:
        TrackRate(reply);
        break;
    case kGetVideoParamsRequest:
        return ReadVideoParams(reply) ? 0 : -1;
    case kCommandRequest:
        DebugOutput("zrk--------client CRtspClient get command control back!");
        break;
    case kSetVideoParamsRequest:
    case kTeardownRequest:
        break;
    }
    return 0;
}

// The session, once known, is kept for good; a "filesize" header is of no use here.
void CRtspClient::ReadSetup(CRtspMessage& reply)
{
    if (session.empty())
        reply.GetHeaderString("Session", session);
    if (CRtspHeader* transport = reply.FindHeader("Transport"))
        serverPort = transport->ServerPort();
    std::string timestamp;
    hasTimestamp = reply.GetHeaderString("timestamp", timestamp);
    owner->OnSetup(reinterpret_cast<const unsigned char*>(reply.body.get()), reply.bodyLength,
                   hasTimestamp ? DecimalToInt(timestamp.c_str()) : -1);
}

int CRtspClient::ScaleStep(int index, int scale)
{
    int current = kScaleLadder[index];
    if (current > scale && index > 0)
        return -1;
    if (current < scale && index < kScaleSteps - 1)
        return +1;
    return 0;
}

// One step per reply at most, whatever the distance; only for servers that sent a timestamp.
void CRtspClient::TrackRate(CRtspMessage& reply)
{
    std::string scale;
    if (!reply.GetHeaderString("Scale", scale) || !hasTimestamp)
        return;
    int step = ScaleStep(scaleIndex, DecimalToInt(scale.c_str()));
    if (step == 0)
        return;
    owner->OnScaleReply(step);
    scaleIndex += step;
}

// Stops at the first missing header: the values read before it stay but are not handed out.
bool CRtspClient::ReadVideoParams(CRtspMessage& reply)
{
    for (int i = 0; i < 4; ++i) {
        if (!reply.GetHeaderInt(kVideoParamHeaders[i], videoParams[i]))
            return false;
    }
    return true;
}
