#include "RequestHandler.h"

#include "BlastProducer.h"
#include "MediaSession.h"
#include "ReplayProducer.h"
#include "VideoProducer.h"
#include "lumodec/LumoStreamHeader.h"
#include "rtsp/Url.h"
#include "rtspmsg/RtspRangeValue.h"
#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"
#include "rtspmsg/RtspTables.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>

namespace {

enum Method { kSetup = 0, kTeardown = 1, kPlay = 2, kPause = 3, kAnnounce = 6, kOptions = 7 };

const int kSessionTimeoutSeconds = 60;
const int kMaxPictureValue = 255;
const char* const kPictureHeaders[] = {"bri", "con", "sat", "hue"};
const char* const kCommandHeaders[] = {"command", "param1", "param2", "param3", "param4"};

// The first parameter of the header's first value: the session identifier in "id;timeout=60".
std::string FirstParam(const CRtspMessage& message, const char* name)
{
    const CRtspHeader* header = message.FindHeader(name);
    const CRtspHeaderValue* value = header ? header->FirstValue() : nullptr;
    return value && !value->params.empty() ? value->params[0]->name : std::string();
}

// The start of "Range: npt=S-" in whole seconds; 0 without one.
int RangeStartSeconds(const CRtspMessage& message)
{
    const CRtspHeader* header = message.FindHeader("Range");
    const auto* range = header ? dynamic_cast<const CRtspRangeValue*>(header->FirstValue()) : nullptr;
    return range && range->start > 0 ? range->start / 1000 : 0;
}

int64_t EpochMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

CRequestHandler::CRequestHandler(const ServerOptions& options, uint32_t clientAddress)
    : options(options), clientAddress(clientAddress)
{
}

CRequestHandler::~CRequestHandler() = default;

void CRequestHandler::StartSetUpSession()
{
    if (setUp)
        setUp->Start();
    setUp = nullptr;
}

void CRequestHandler::EndSessions()
{
    setUp = nullptr;
    sessions.clear();
    latest.clear();
}

std::unique_ptr<CRtspResponse> CRequestHandler::Reply(const char* code, int cseq)
{
    Response reply(new CRtspResponse);
    reply->status = StatusIndex(code);
    reply->AddHeader("CSeq", cseq);
    return reply;
}

std::unique_ptr<CRtspResponse> CRequestHandler::Handle(const CRtspMessage& message)
{
    // A response, or a first word that is no method of the dialect, cannot be served.
    if (message.method < 0 || message.method >= kResponseMethod)
        return Reply("400", message.cseq);
    auto fault = options.errorReplies.find(message.method);
    if (fault != options.errorReplies.end())
        return Reply(StatusEntry(fault->second).code, message.cseq);
    if (message.method == kSetup)
        return Setup(message);
    if (message.method == kAnnounce)
        return options.ignoreKeepAlive ? nullptr : Reply("200", message.cseq);
    if (message.method != kTeardown && message.method != kPlay && message.method != kPause &&
        message.method != kOptions)
        return Reply("501", message.cseq);
    std::string id;
    CMediaSession* session = FindSession(message, id);
    if (!session)
        return Reply("454", message.cseq);
    switch (message.method) {
    case kTeardown: sessions.erase(id); return Reply("200", message.cseq);
    case kPause: session->Pause(); return Reply("200", message.cseq);
    case kPlay: return Play(message, *session);
    default: return Options(message, *session);
    }
}

CMediaSession* CRequestHandler::FindSession(const CRtspMessage& request, std::string& id)
{
    id = NamedSession(request);
    if (id.empty())
        id = latest;
    auto found = sessions.find(id);
    return found == sessions.end() ? nullptr : found->second.get();
}

// The Session header where there is one, otherwise the User-agent value, which carries the
// session identifier in PAUSE, resume PLAY and TEARDOWN.
std::string CRequestHandler::NamedSession(const CRtspMessage& request)
{
    std::string id = FirstParam(request, "Session");
    return id.empty() ? FirstParam(request, "User-agent") : id;
}

CRequestHandler::Response CRequestHandler::Setup(const CRtspMessage& request)
{
    const CRtspHeader* transport = request.FindHeader("Transport");
    const CRtspHeaderValue* value = transport ? transport->FirstValue() : nullptr;
    std::string profile = value && !value->params.empty() ? value->params[0]->name : std::string();
    const CRtspParam* clientPorts = value ? value->FindParam("client_port") : nullptr;
    bool tcp = profile == "RTP/AVP/TCP";
    int clientPort = clientPorts ? std::atoi(clientPorts->value.c_str()) : 0;
    if ((!tcp && profile != "RTP/AVP/UDP" && profile != "RTP/AVP") || clientPort <= 0 || clientPort > 65535)
        return Reply("461", request.cseq);
    const auto* named = dynamic_cast<const CRtspRequest*>(&request);
    bool live = named && IsLiveStreamPath(named->uri.c_str());
    std::unique_ptr<CMediaSession> session = NewSession(tcp, static_cast<unsigned short>(clientPort), live);
    if (!session)
        return Reply("500", request.cseq);

    const StreamFormat& format = session->Format();
    LumoStreamHeader header;
    header.packaging = tcp ? LumoStreamHeader::kPackagingFramed : LumoStreamHeader::kPackagingDatagrams;
    header.width = format.width;
    header.height = format.height;
    header.frameRate = format.fps;
    header.clockRate = StreamFormat::kClockRate;
    header.durationMs = static_cast<uint32_t>(format.durationSeconds) * 1000;
    char body[LumoStreamHeader::kSize];
    header.Write(reinterpret_cast<unsigned char*>(body));

    std::string id = NewSessionId();
    unsigned serverPort = session->ServerPort();
    std::string transportText = profile + ";unicast;client_port=" + clientPorts->value +
                                ";server_port=" + std::to_string(serverPort) + "-" + std::to_string(serverPort + 1);
    Response reply = Reply("200", request.cseq);
    reply->AddHeader("Session", (id + ";timeout=" + std::to_string(kSessionTimeoutSeconds)).c_str());
    reply->AddHeader("Transport", transportText.c_str());
    // Live: the server's clock; recorded: the stream second the stream starts at.
    reply->AddHeader("timestamp", live ? static_cast<int>(EpochMilliseconds() % (int64_t(1) << 31)) : 0);
    reply->AddHeader("Content-Length", LumoStreamHeader::kSize);
    reply->SetBody(body, LumoStreamHeader::kSize);
    setUp = session.get();
    sessions[id] = std::move(session);
    latest = id;
    return reply;
}

std::unique_ptr<CMediaSession> CRequestHandler::NewSession(bool tcp, unsigned short clientPort, bool live)
{
    static std::atomic<uint32_t> seeds(static_cast<uint32_t>(EpochMilliseconds()));
    std::unique_ptr<CMediaChannel> channel(new CMediaChannel(options.lossPercent, ++seeds));
    if (!(tcp ? channel->OpenTcp() : channel->OpenUdp(clientAddress, clientPort)))
        return nullptr;
    StreamFormat format{options.width, options.height, options.fps, live ? 0 : options.durationSeconds};
    std::unique_ptr<CMediaProducer> producer;
    if (options.blast)
        producer.reset(new CBlastProducer(options.blastRate, options.blastSize, ++seeds));
    else if (!options.replayFile.empty())
        producer.reset(new CReplayProducer(options.replayFile, format, ++seeds));
    else
        producer.reset(new CVideoProducer(format, ++seeds));
    return std::unique_ptr<CMediaSession>(new CMediaSession(format, std::move(channel), std::move(producer)));
}

// Decimal identifiers, unique within the process; the counter starts from the clock so that a
// restarted server does not hand out the identifiers of the one before.
std::string CRequestHandler::NewSessionId()
{
    static std::atomic<uint32_t> next(static_cast<uint32_t>(EpochMilliseconds() % 90000000) + 10000000);
    return std::to_string(next++);
}

// A PLAY with Range starts the stream at that second. The client's rate change is a PLAY with
// Scale and always "Range: npt=0.0-", so once the stream plays, a Scale changes only the speed.
CRequestHandler::Response CRequestHandler::Play(const CRtspMessage& request, CMediaSession& session)
{
    int scale = 0;
    bool hasScale = request.GetHeaderInt("Scale", scale);
    bool hasRange = request.FindHeader("Range") != nullptr;
    int start = RangeStartSeconds(request);
    if (!session.IsLive() && start >= session.Format().durationSeconds)
        return Reply("457", request.cseq);
    if (hasScale)
        session.SetScale(scale);
    if (hasRange && !(hasScale && session.HasPlayed()))
        session.PlayFrom(start);
    else
        session.Resume();
    Response reply = Reply("200", request.cseq);
    if (hasScale)
        reply->AddHeader("Scale", scale);
    if (hasRange && !session.IsLive())
        reply->AddHeader("Range", ("npt=" + std::to_string(start) + ".0-").c_str());
    return reply;
}

// OPTIONS with picture headers sets them, with "command" moves the camera, with neither reads.
CRequestHandler::Response CRequestHandler::Options(const CRtspMessage& request, CMediaSession& session)
{
    if (request.FindHeader("command"))
        return Command(request, session);
    PictureParams params = session.GetPictureParams();
    int* fields[] = {&params.brightness, &params.contrast, &params.saturation, &params.hue};
    bool set = false;
    for (int i = 0; i < 4; ++i) {
        set = request.GetHeaderInt(kPictureHeaders[i], *fields[i]) || set;
        *fields[i] = std::min(std::max(*fields[i], 0), kMaxPictureValue);
    }
    if (set)
        session.SetPictureParams(params);
    Response reply = Reply("200", request.cseq);
    for (int i = 0; i < 4 && !set; ++i)
        reply->AddHeader(kPictureHeaders[i], *fields[i]);
    return reply;
}

// Unknown command numbers are answered 200 too: the client passes numbers through unchecked.
CRequestHandler::Response CRequestHandler::Command(const CRtspMessage& request, CMediaSession& session)
{
    unsigned long values[5] = {};
    for (int i = 0; i < 5; ++i) {
        std::string text;
        if (request.GetHeaderString(kCommandHeaders[i], text))
            values[i] = std::strtoul(text.c_str(), nullptr, 10);
    }
    session.Command(values[0], values[1], values[2], values[3], values[4]);
    return Reply("200", request.cseq);
}
