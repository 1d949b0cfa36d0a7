#include "rtspmsg/RtspParser.h"

#include "rtspmsg/DecimalText.h"
#include "rtspmsg/HeaderValues.h"
#include "rtspmsg/OwnedList.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"
#include "rtspmsg/RtspTables.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

const char kVersionPrefix[] = "RTSP/";
const int kVersionPrefixLength = sizeof kVersionPrefix - 1;
// A version part is read from an 8-byte scratch text: at most 7 characters. A longer part is cut
// to its first 7, which holds every version number a server could mean.
const int kVersionPartSize = 8;

// Headers whose value text is kept whole: URIs and credentials hold ":", ";", "," and "=".
const char* const kUnsplitHeaders[] = {
    "WWW-Authenticate", "Authenticate", "Authorization", "Location", "Content-base",
};

bool IsLeadingBlank(char c)
{
    return c == '\n' || c == '\r' || c == ' ' || c == '\t';
}

bool IsUnsplitHeader(const std::string& name)
{
    for (const char* unsplit : kUnsplitHeaders) {
        if (name == unsplit)
            return true;
    }
    return false;
}

int ReadVersionPart(const char* begin, const char* end)
{
    char part[kVersionPartSize] = {};
    size_t count = static_cast<size_t>(end - begin);
    std::memcpy(part, begin, count < sizeof part - 1 ? count : sizeof part - 1);
    return DecimalToInt(part);
}

bool EndsValueText(const RtspToken& token)
{
    return token.end == kLineEnd || token.end == kEndMarker;
}

} // namespace

CRtspMessage* CRtspParser::Parse(const char* buffer, int& length)
{
    CRtspMessage* message = nullptr;
    try {
        message = ParseMessage(buffer, length);
    } catch (const std::bad_alloc&) {
        message = nullptr;
    }
    if (message == nullptr)
        length = 0;
    return message;
}

void CRtspParser::Clear()
{
    std::vector<RtspToken>().swap(lines);
}

CRtspMessage* CRtspParser::ParseMessage(const char* buffer, int& length)
{
    Clear();
    if (buffer == nullptr || length <= 0)
        return nullptr;
    int headerLength = SplitLines(buffer, length);
    // Nothing is returned until the blank line that ends the header block has arrived, so the
    // caller never takes a half-received reply for a whole one.
    if (headerLength == 0 || lines.empty() || lines.front().length == 0)
        return nullptr;
    std::unique_ptr<CRtspMessage> message(ParseFirstLine(lines.front()));
    if (!message)
        return nullptr;
    ParseHeaders(message.get());
    int contentLength = 0;
    // A negative length announces no body: it is taken as absent.
    if (!message->GetHeaderInt("Content-Length", contentLength) || contentLength < 0) {
        length = headerLength;
        return message.release();
    }
    if (contentLength > length - headerLength)
        return nullptr; // the body has not fully arrived
    message->SetBody(buffer + headerLength, contentLength);
    length = headerLength + contentLength;
    return message.release();
}

int CRtspParser::SplitLines(const char* buffer, int length)
{
    int skipped = 0;
    while (skipped < length && IsLeadingBlank(buffer[skipped]))
        ++skipped;
    RtspInput input;
    input.Init(buffer + skipped, length - skipped);
    CRtspTokenizer tokenizer(input);
    bool previousEndedLine = false;
    for (;;) {
        RtspToken line = tokenizer.NextToken("\n");
        bool endedLine = line.end == kLineEnd;
        if (endedLine && line.length == 0 && previousEndedLine)
            return skipped + input.position;
        lines.push_back(line);
        if (line.end == kEndMarker)
            return 0;
        previousEndedLine = endedLine;
    }
}

// A response exactly when the line begins with "RTSP/"; any other line is a request line.
CRtspMessage* CRtspParser::ParseFirstLine(const RtspToken& line)
{
    if (line.length >= kVersionPrefixLength && std::memcmp(line.text, kVersionPrefix, kVersionPrefixLength) == 0)
        return ParseStatusLine(line.text, line.length);
    return ParseRequestLine(line.text, line.length);
}

void CRtspParser::ParseHeaders(CRtspMessage* message) const
{
    for (size_t i = 1; i < lines.size(); ++i)
        MakeItem([&] { message->AddHeader(ParseHeaderLine(lines[i].text, lines[i].length)); });
    message->cseq = 0;
    message->GetHeaderInt("CSeq", message->cseq);
}

CRtspResponse* CRtspParser::ParseStatusLine(const char* text, int length)
{
    std::unique_ptr<CRtspResponse> response(new (std::nothrow) CRtspResponse());
    if (!response)
        return nullptr;
    response->method = kResponseMethod;
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    RtspToken version = tokenizer.NextToken(nullptr);
    if (!ParseVersion(version.text, version.length, response->majorVersion, response->minorVersion))
        response->majorVersion = response->minorVersion = 0;
    response->status = StatusIndex(TokenString(tokenizer.NextToken(nullptr)).c_str());
    // The reason phrase is not kept: the status index says it all.
    return response.release();
}

CRtspRequest* CRtspParser::ParseRequestLine(const char* text, int length)
{
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    RtspToken methodWord = tokenizer.NextToken(nullptr);
    RtspToken uri = tokenizer.NextToken(" ");
    RtspToken version = tokenizer.NextToken(nullptr);
    if (version.text == nullptr)
        return nullptr; // the line ends after the URI
    std::unique_ptr<CRtspRequest> request(new (std::nothrow) CRtspRequest());
    if (!request)
        return nullptr;
    request->method = MethodIndex(TokenString(methodWord).c_str());
    request->uri = TokenString(uri);
    if (!ParseVersion(version.text, version.length, request->majorVersion, request->minorVersion))
        request->majorVersion = request->minorVersion = 0;
    return request.release();
}

bool CRtspParser::ParseVersion(const char* text, int length, int& major, int& minor)
{
    if (text == nullptr || length < kVersionPrefixLength ||
        std::memcmp(text, kVersionPrefix, kVersionPrefixLength) != 0)
        return false;
    const char* end = text + length;
    const char* dot = static_cast<const char*>(std::memchr(text, '.', static_cast<size_t>(length)));
    const char* majorStart = text + kVersionPrefixLength;
    if (dot == nullptr || dot <= majorStart)
        return false;
    major = ReadVersionPart(majorStart, dot);
    minor = ReadVersionPart(dot + 1, end);
    return true;
}

CRtspHeader* CRtspParser::ParseHeaderLine(const char* text, int length)
{
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    RtspToken name = tokenizer.NextToken(":");
    if (name.length == 0)
        return nullptr;
    std::unique_ptr<CRtspHeader> header(new (std::nothrow) CRtspHeader(TokenString(name)));
    if (!header)
        return nullptr;
    RtspToken value = tokenizer.NextToken("\n");
    if (header->name == "Range")
        ParseRange(value.text, value.length, header.get());
    else if (header->name == "RTP-Info")
        ParseRtpInfo(value.text, value.length, header.get());
    else if (IsUnsplitHeader(header->name))
        header->AddValueText(TokenString(value).c_str());
    else
        ParseValueList(value.text, value.length, header.get());
    return header.release();
}

void CRtspParser::ParseValueList(const char* text, int length, CRtspHeader* header)
{
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    // An empty piece (",," or a trailing ",") ends the list.
    for (RtspToken piece = tokenizer.NextToken(","); piece.length > 0; piece = tokenizer.NextToken(",")) {
        MakeItem([&] { ParseValue(piece.text, piece.length, header); });
        if (EndsValueText(piece))
            return;
    }
}

void CRtspParser::ParseValue(const char* text, int length, CRtspHeader* header)
{
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    RtspToken name = tokenizer.NextToken(";=");
    if (name.length == 0)
        return;
    std::unique_ptr<CRtspHeaderValue> value(new (std::nothrow) CRtspHeaderValue());
    if (!value)
        return;
    // An empty parameter (";;") ends the value. A parameter's value runs to the next ";", so it
    // may hold "=".
    for (; name.length > 0; name = tokenizer.NextToken("=;")) {
        if (name.end == '=')
            value->AddParam(TokenString(name), TokenString(tokenizer.NextToken(";")));
        else
            value->AddParam(TokenString(name));
    }
    header->AddValue(value.release());
}
