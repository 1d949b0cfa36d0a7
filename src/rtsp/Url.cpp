#include "rtsp/Url.h"

#include "rtspmsg/DecimalText.h"

#include <cstring>

namespace {
const char kSchemeSeparator[] = "://";
const char kLivePath[] = "/av_stream";
} // namespace

CUrl::CUrl(const char* text) : url(text ? text : "")
{
    std::string work = url;
    std::string::size_type separator = work.find(kSchemeSeparator);
    if (separator != std::string::npos) {
        scheme = work.substr(0, separator);
        schemeType = SchemeTypeOf(scheme);
        work.erase(0, separator + strlen(kSchemeSeparator));
    }
    std::string::size_type slash = work.find('/');
    if (slash != std::string::npos) {
        path = work.substr(slash);
        work.erase(slash);
    }
    std::string::size_type colon = work.find(':');
    if (colon == std::string::npos) {
        host = work;
        port = DefaultPort(schemeType);
    } else {
        host = work.substr(0, colon);
        // Only the low 16 bits of what atoi reads count.
        port = static_cast<unsigned short>(DecimalToInt(work.c_str() + colon + 1));
    }
    valid = schemeType != Other;
}

int CUrl::SchemeTypeOf(const std::string& scheme)
{
    if (scheme == "http")
        return Http;
    if (scheme == "rtsp")
        return Rtsp;
    if (scheme == "file")
        return File;
    return Other;
}

unsigned short CUrl::DefaultPort(int schemeType)
{
    if (schemeType == Http)
        return 80;
    if (schemeType == Rtsp)
        return 554;
    return 0;
}

bool IsLiveStreamPath(const char* text)
{
    const char* lastSlash = text ? strrchr(text, '/') : nullptr;
    return lastSlash && strncmp(lastSlash, kLivePath, strlen(kLivePath)) == 0;
}
