#include "rtspmsg/HeaderValues.h"

#include "rtspmsg/NptTime.h"
#include "rtspmsg/RtspHeader.h"
#include "rtspmsg/RtspRangeValue.h"
#include "rtspmsg/RtspTokenizer.h"
#include "rtspmsg/SmpteTime.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const char kUrlKey[] = "url=";
const int kUrlKeyLength = sizeof kUrlKey - 1;

// The keyword begins with the token: "s" and the empty token both read as "smpte".
bool IsPrefixOf(const RtspToken& token, const char* keyword)
{
    return static_cast<size_t>(token.length) <= std::strlen(keyword) &&
           (token.length == 0 || std::memcmp(token.text, keyword, static_cast<size_t>(token.length)) == 0);
}

int TimeMilliseconds(int unit, const RtspToken& token)
{
    if (token.length <= 0)
        return CRtspRangeValue::kOpen;
    if (unit == CRtspRangeValue::kSmpte)
        return CSmpteTime(token.text, token.length).GetMilliseconds();
    return CNptTime(token.text, token.length).GetMilliseconds();
}

const char* FindText(const char* begin, const char* end, const char* key)
{
    const char* found = std::search(begin, end, key, key + std::strlen(key));
    return found != end ? found : nullptr;
}

} // namespace

void ParseRange(const char* text, int length, CRtspHeader* header)
{
    RtspInput input;
    input.Init(text, length);
    CRtspTokenizer tokenizer(input);
    RtspToken unitToken = tokenizer.NextToken("=");
    int unit;
    if (IsPrefixOf(unitToken, "smpte"))
        unit = CRtspRangeValue::kSmpte;
    else if (IsPrefixOf(unitToken, "npt"))
        unit = CRtspRangeValue::kNpt;
    else
        return; // clock, and units nothing here reads
    int start = TimeMilliseconds(unit, tokenizer.NextToken("-"));
    int end = TimeMilliseconds(unit, tokenizer.NextToken("\n"));
    header->AddValue(new (std::nothrow) CRtspRangeValue(start, end, unit));
}

void ParseRtpInfo(const char* text, int length, CRtspHeader* header)
{
    if (text == nullptr || length <= 0)
        return;
    const char* textEnd = text + length;
    const char* entry = FindText(text, textEnd, kUrlKey);
    if (entry == nullptr) {
        // A server that leaves the url out still describes one stream.
        ParseRtpInfoEntry(text, length, header);
        return;
    }
    for (;;) {
        const char* afterKey = entry + kUrlKeyLength;
        const char* next = FindKey(afterKey, static_cast<int>(textEnd - afterKey), kUrlKey, ',');
        const char* entryEnd = next != nullptr ? next : textEnd;
        ParseRtpInfoEntry(entry, static_cast<int>(entryEnd - entry), header);
        if (next == nullptr)
            return;
        entry = next;
    }
}

void ParseRtpInfoEntry(const char* text, int length, CRtspHeader* header)
{
    // The url, sequence number and RTP time are not kept: nothing reads them.
    if (FindKey(text, length, "seq=", ';') != nullptr || FindKey(text, length, "rtptime=", ';') != nullptr)
        header->AddValue(new (std::nothrow) CRtspHeaderValue());
}

const char* FindKey(const char* text, int length, const char* key, char separator)
{
    if (text == nullptr || length <= 0)
        return nullptr;
    const char* end = text + length;
    for (const char* found = FindText(text, end, key); found != nullptr;
         found = FindText(found + std::strlen(key), end, key)) {
        const char* before = found;
        while (before > text && before[-1] == ' ')
            --before;
        if (before > text && before[-1] == separator)
            return found;
    }
    return nullptr;
}
