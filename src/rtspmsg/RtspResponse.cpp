#include "rtspmsg/RtspResponse.h"

#include "rtspmsg/RtspTables.h"

bool CRtspResponse::AppendStartLine(std::string& out) const
{
    if (status < 0 || status >= kStatusCount)
        return false;
    const StatusRow& row = StatusEntry(status);
    out += VersionText(majorVersion, minorVersion);
    out += ' ';
    out += row.code;
    out += ' ';
    out += row.reason;
    out += "\r\n";
    return true;
}
