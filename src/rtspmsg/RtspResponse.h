#pragma once

#include "rtspmsg/RtspMessage.h"

class CRtspResponse : public CRtspMessage {
public:
    int status = -1; // index into the status table, not the numeric code

protected:
    // "RTSP/x.y code reason"; none for a status outside the status table.
    bool AppendStartLine(std::string& out) const override;
};
