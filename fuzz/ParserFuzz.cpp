// Feeds arbitrary server bytes to the parser and round-trips every message it returns; runs the
// header-value readers, the time values and the tokenizer over the same bytes, since a server
// controls each of them.
#include "rtspmsg/HeaderValues.h"
#include "rtspmsg/NptTime.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspMessage.h"
#include "rtspmsg/RtspParser.h"
#include "rtspmsg/RtspTokenizer.h"
#include "rtspmsg/SmpteTime.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void RoundTrip(CRtspMessage& message)
{
    std::string text;
    message.ToText(text);
    Check(text.size() < static_cast<size_t>(INT_MAX));
    int size = static_cast<int>(text.size());
    std::vector<char> buffer(text.size() + 1);
    if (text.empty()) {
        Check(message.ToBuffer(buffer.data(), static_cast<int>(buffer.size())) == -1);
        return;
    }
    Check(message.ToBuffer(buffer.data(), size) == size);
    Check(std::memcmp(buffer.data(), text.data(), text.size()) == 0);
    Check(message.ToBuffer(buffer.data(), size - 1) == -1);
}

void ParseMessage(const char* data, int size)
{
    CRtspParser parser;
    int length = size;
    std::unique_ptr<CRtspMessage> message(parser.Parse(data, length));
    Check(length >= 0 && length <= size);
    Check((message != nullptr) == (length > 0));
    if (message) {
        RoundTrip(*message);
        std::string session;
        message->GetHeaderString("Session", session);
        if (const CRtspHeader* transport = message->FindHeader("Transport"))
            transport->ServerPort();
    }
    parser.Clear();
}

void ParseValues(const char* data, int size)
{
    CRtspHeader range("Range");
    ParseRange(data, size, &range);
    CRtspHeader rtpInfo("RTP-Info");
    ParseRtpInfo(data, size, &rtpInfo);
    std::string text;
    range.Append(text);
    rtpInfo.Append(text);
    CNptTime(data, size).GetText();
    CSmpteTime(data, size).GetText();
}

void ReadWords(const char* data, int size)
{
    RtspInput input;
    input.Init(data, size);
    CRtspTokenizer tokenizer(input);
    // Word mode does not move on at a stop character, so alternate with a delimited read.
    for (int i = 0; i <= size; ++i) {
        RtspToken token = tokenizer.NextToken(i % 2 == 0 ? nullptr : ";=");
        Check(token.length >= 0 && (token.length == 0 || (token.text >= data && token.text + token.length <= data + size)));
        if (token.end == kEndMarker && token.length == 0)
            break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size > static_cast<size_t>(INT_MAX))
        return 0;
    // A copy of exactly size bytes, so that reading one byte too far is caught.
    std::vector<char> copy(bytes, bytes + size);
    const char* data = copy.data();
    int length = static_cast<int>(size);
    ParseMessage(data, length);
    ParseValues(data, length);
    ReadWords(data, length);
    return 0;
}
