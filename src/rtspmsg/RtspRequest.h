#pragma once

#include "rtspmsg/RtspMessage.h"

#include <string>

class CRtspRequest : public CRtspMessage {
public:
    std::string uri;

protected:
    // "METHOD uri RTSP/x.y"; none for a method outside the method table.
    bool AppendStartLine(std::string& out) const override;
};
