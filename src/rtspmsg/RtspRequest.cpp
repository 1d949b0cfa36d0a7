#include "rtspmsg/RtspRequest.h"

#include "rtspmsg/RtspTables.h"

bool CRtspRequest::AppendStartLine(std::string& out) const
{
    if (method < 0 || method >= kMethodCount)
        return false;
    out += MethodName(method);
    out += ' ';
    out += uri;
    out += ' ';
    out += VersionText(majorVersion, minorVersion);
    out += "\r\n";
    return true;
}
