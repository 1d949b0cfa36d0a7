#pragma once

#include <string>

// A URL cut into scheme, host, port and path. Parsing never fails; a scheme other than
// "http", "rtsp" or "file" (compared case-sensitively) makes the URL invalid.
class CUrl {
public:
    enum SchemeType { Http = 0, Rtsp = 1, File = 2, Other = 3 };

    explicit CUrl(const char* url);
    virtual ~CUrl() = default;

    const std::string& GetUrl() const { return url; }
    const std::string& GetScheme() const { return scheme; }
    const std::string& GetHost() const { return host; }
    unsigned short GetPort() const { return port; }
    // From the first "/" after the host to the end, the "/" included; empty when there is none.
    const std::string& GetPath() const { return path; }
    int GetSchemeType() const { return schemeType; }
    bool IsValid() const { return valid; }

private:
    static int SchemeTypeOf(const std::string& scheme);
    static unsigned short DefaultPort(int schemeType);

    std::string url;
    std::string scheme;
    std::string host;
    unsigned short port = 0;
    std::string path;
    int schemeType = Other;
    bool valid = false;
};

// Whether a path or URL names the server's live stream: the text from its last "/" begins with
// "/av_stream". A text without "/" names no stream and is not live.
bool IsLiveStreamPath(const char* text);
