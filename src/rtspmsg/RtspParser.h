#pragma once

#include "rtspmsg/RtspTokenizer.h"

#include <vector>

class CRtspHeader;
class CRtspMessage;
class CRtspRequest;
class CRtspResponse;

// Turns the bytes received so far into one message. Keeps nothing between calls but the line
// tokens of the last header block, which point into the caller's buffer.
class CRtspParser {
public:
    // length: the valid bytes on entry; on return the bytes the message occupied, or 0 when no
    // message is returned (not complete yet, or unreadable). The caller owns the message.
    CRtspMessage* Parse(const char* buffer, int& length);
    void Clear();

    // Cuts the header block into lines; returns the bytes up to and including the blank line
    // that ends it, leading blanks included, or 0 while that blank line has not arrived.
    int SplitLines(const char* buffer, int length);

    static bool ParseVersion(const char* text, int length, int& major, int& minor);
    static CRtspHeader* ParseHeaderLine(const char* text, int length);
    static void ParseValueList(const char* text, int length, CRtspHeader* header);
    static void ParseValue(const char* text, int length, CRtspHeader* header);

    std::vector<RtspToken> lines;

private:
    CRtspMessage* ParseMessage(const char* buffer, int& length);
    static CRtspMessage* ParseFirstLine(const RtspToken& line);
    void ParseHeaders(CRtspMessage* message) const;
    static CRtspResponse* ParseStatusLine(const char* text, int length);
    static CRtspRequest* ParseRequestLine(const char* text, int length);
};
