#include "rtspmsg/RtspTables.h"

#include <cstring>

namespace {

const char* const kMethods[kMethodCount] = {
    "SETUP",   "TEARDOWN", "PLAY",          "PAUSE",         "RECORD",   "DESCRIBE",
    "ANNOUNCE", "OPTIONS", "SET_PARAMETER", "GET_PARAMETER", "RESPONSE", "UNKNOWN",
};

const StatusRow kStatuses[kStatusCount] = {
    {"100", "Continue"},
    {"200", "OK"},
    {"201", "Created"},
    {"250", "Low On Storage Space"},
    {"300", "Multiple Choices"},
    {"301", "Moved Permanently"},
    {"302", "Moved Temporarily"},
    {"303", "See Other"},
    {"304", "Not Modified"},
    {"305", "Use Proxy"},
    {"400", "Bad Request"},
    {"401", "Unauthorized"},
    {"402", "Payment Required"},
    {"403", "Forbidden"},
    {"404", "Not Found"},
    {"405", "Method Not Allowed"},
    {"406", "Not Acceptable"},
    {"407", "Proxy Authentication Required"},
    {"408", "Request Time-out"},
    {"409", "Conflict"},
    {"410", "Gone"},
    {"411", "Length Required"},
    {"412", "Precondition Failed"},
    {"413", "Request Entity Too Large"},
    {"414", "Request-URI Too Large"},
    {"415", "Unsupported Media Type"},
    {"451", "Parameter Not Understood"},
    {"452", "Conference Not Found"},
    {"453", "Not Enough Bandwidth"},
    {"454", "Session Not Found"},
    {"455", "Method Not Valid In This State"},
    {"456", "Header Field Not Valid For Resource"},
    {"457", "Invalid Range"},
    {"458", "Parameter Is Read-Only"},
    {"459", "Aggregate Operation Not Allowed"},
    {"460", "Only Aggregate Operation Allowed"},
    {"461", "Unsupported Transport"},
    {"462", "Destination Unreachable"},
    {"500", "Internal Server Error"},
    {"501", "Not Implemented"},
    {"502", "Bad Gateway"},
    {"503", "Service Unavailable"},
    {"504", "Gateway Time-out"},
    {"505", "RTSP Version not supported"},
    {"551", "Option not supported"},
};

} // namespace

const char* MethodName(int index)
{
    return kMethods[index];
}

int MethodIndex(const char* text)
{
    for (int i = 0; i < kMethodCount; ++i) {
        if (std::strcmp(kMethods[i], text) == 0)
            return i;
    }
    return -1;
}

const StatusRow& StatusEntry(int index)
{
    return kStatuses[index];
}

int StatusIndex(const char* code)
{
    for (int i = 0; i < kStatusCount; ++i) {
        if (std::strcmp(kStatuses[i].code, code) == 0)
            return i;
    }
    return -1;
}
