#include "ControlConnection.h"

#include "ServerSocket.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspMessage.h"
#include "rtspmsg/RtspResponse.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// How often the thread looks up from its socket to see a stop or a close-after deadline.
const int kPollMs = 100;
const int kReceiveChunk = 4096;
// A reply is its header lines and the 40-byte stream header at the most.
const int kReplyBuffer = 4096;
// A client that stops reading its replies must not hold the thread for ever.
const unsigned kSendTimeoutMs = 5000;
const char kEndOfHead[] = "\r\n\r\n";

} // namespace

CControlConnection::CControlConnection(SOCKET socket, const ServerOptions& options)
    : socket(socket), options(options), handler(options, PeerAddress(socket)), opened(std::chrono::steady_clock::now())
{
}

CControlConnection::~CControlConnection()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (socket)
        closesocket(socket);
}

void CControlConnection::Start()
{
    thread = std::thread(&CControlConnection::Run, this);
}

void CControlConnection::Run()
{
    SetSocketTimeout(socket, SO_SNDTIMEO, kSendTimeoutMs);
    while (!ShouldClose()) {
        int ready = WaitSocket(socket, SocketWait::Readable, kPollMs);
        if (ready < 0 || (ready > 0 && (!Receive() || !ServeBuffered())))
            break;
    }
    // The client's media ends with its control connection.
    handler.EndSessions();
    closesocket(socket);
    socket = 0;
    finished = true;
}

bool CControlConnection::ShouldClose() const
{
    return stopping ||
           (options.closeAfterSeconds > 0 &&
            std::chrono::steady_clock::now() - opened >= std::chrono::seconds(options.closeAfterSeconds));
}

bool CControlConnection::Receive()
{
    char buffer[kReceiveChunk];
    int received = static_cast<int>(recv(socket, buffer, sizeof buffer, 0));
    if (received <= 0)
        return false;
    pending.append(buffer, static_cast<size_t>(received));
    return true;
}

bool CControlConnection::ServeBuffered()
{
    for (;;) {
        std::unique_ptr<CRtspMessage> request;
        int used = NextRequest(request);
        if (used == 0) {
            if (pending.size() <= kMaxRequest)
                return true;
            Answer(nullptr, 0);
            return false;
        }
        Log("<<", pending.substr(0, static_cast<size_t>(used)));
        pending.erase(0, static_cast<size_t>(used));
        if (!Answer(request.get(), request ? request->cseq : 0) || ShouldClose())
            return false;
    }
}

int CControlConnection::NextRequest(std::unique_ptr<CRtspMessage>& request)
{
    int length = static_cast<int>(std::min(pending.size(), static_cast<size_t>(INT_MAX)));
    request.reset(parser.Parse(pending.data(), length));
    if (request)
        return length;
    // No message: the header block is still coming, its body is, or the text is unreadable.
    int headerLength = parser.SplitLines(pending.data(), static_cast<int>(pending.size()));
    if (headerLength == 0)
        return UnreadableHead();
    return AwaitsBody(headerLength) ? 0 : headerLength;
}

// A blank line the parser does not see (a byte 255 ends its text early) still ends the request:
// the bytes up to it are garbage. 0 while no blank line has come.
int CControlConnection::UnreadableHead() const
{
    std::string::size_type end = pending.find(kEndOfHead);
    return end == std::string::npos ? 0 : static_cast<int>(end + 4);
}

// Whether the header block just split announces a body that has not all arrived.
bool CControlConnection::AwaitsBody(int headerLength) const
{
    for (size_t i = 1; i < parser.lines.size(); ++i) {
        std::unique_ptr<CRtspHeader> header(CRtspParser::ParseHeaderLine(parser.lines[i].text, parser.lines[i].length));
        std::string text;
        if (!header || header->name != "Content-Length" || !header->FirstValue())
            continue;
        header->FirstValue()->Append(text);
        long bodyLength = std::atol(text.c_str());
        return bodyLength > 0 && pending.size() < static_cast<size_t>(headerLength) + static_cast<size_t>(bodyLength);
    }
    return false;
}

// False when the connection must close (the reply could not be sent).
bool CControlConnection::Answer(const CRtspMessage* request, int cseq)
{
    std::unique_ptr<CRtspResponse> reply = request ? handler.Handle(*request) : CRequestHandler::Reply("400", cseq);
    if (!reply)
        return true;
    if (options.replyDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(options.replyDelayMs));
    if (!SendReply(*reply))
        return false;
    handler.StartSetUpSession();
    return true;
}

bool CControlConnection::SendReply(CRtspResponse& reply)
{
    std::vector<char> buffer(kReplyBuffer);
    int length = reply.ToBuffer(buffer.data(), kReplyBuffer);
    if (length < 0)
        return false;
    Log(">>", std::string(buffer.data(), static_cast<size_t>(length)));
    return SendAll(socket, buffer.data(), length);
}

// The header block only: a body is binary and is counted instead.
void CControlConnection::Log(const char* direction, const std::string& text) const
{
    if (!options.verbose)
        return;
    std::string::size_type end = text.find(kEndOfHead);
    std::string head;
    for (char c : text.substr(0, end))
        if (c != '\r')
            head += c;
    std::string body = end == std::string::npos ? std::string() : text.substr(end + 4);
    std::string line = std::string(direction) + " " + head;
    if (!body.empty())
        line += "\n   [" + std::to_string(body.size()) + " bytes of body]";
    std::fprintf(stderr, "%s\n", line.c_str());
}
