#pragma once

#include "rtspmsg/RtspHeaderValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A named header with its ","-separated values.
class CRtspHeader {
public:
    explicit CRtspHeader(const std::string& name) : name(name) {}
    virtual ~CRtspHeader() = default;
    CRtspHeader(const CRtspHeader&) = delete;
    CRtspHeader& operator=(const CRtspHeader&) = delete;

    // The values joined by "," without spaces, then the line end. The name is the message's.
    virtual void Append(std::string& out);

    void AddValue(CRtspHeaderValue* value);
    void AddValueText(const char* text);
    CRtspHeaderValue* FirstValue() const;
    // The server's RTP port of a "Transport" header: server_port=P-Q gives P; 0 without one.
    uint16_t ServerPort() const;

    std::string name;
    std::vector<std::unique_ptr<CRtspHeaderValue>> values;
};
