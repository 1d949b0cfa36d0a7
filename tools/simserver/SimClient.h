#pragma once

#include "platform/platform.h"
#include "rtspmsg/RtspMessage.h"
#include "rtspmsg/RtspParser.h"

#include <memory>
#include <string>

// Waits up to timeoutMs for bytes on s and appends what one recv gives; false on time-out,
// error or a closed connection.
bool ReceiveInto(SOCKET s, std::string& pending, int timeoutMs);

// A raw control connection to the simulator on 127.0.0.1, reading replies with the library's
// parser. Requests are whatever text the caller writes.
class CSimClient {
public:
    explicit CSimClient(unsigned short port);
    ~CSimClient();
    CSimClient(const CSimClient&) = delete;
    CSimClient& operator=(const CSimClient&) = delete;

    bool Send(const std::string& text);
    // The next complete message; null when none arrives within timeoutMs.
    std::unique_ptr<CRtspMessage> Receive(int timeoutMs = 3000);
    std::unique_ptr<CRtspMessage> Request(const std::string& text, int timeoutMs = 3000);
    // Whether the server closes the connection within timeoutMs (what arrives meanwhile is dropped).
    bool ClosedByServer(int timeoutMs);
    void Close();

private:
    SOCKET socket = 0;
    std::string pending;
    CRtspParser parser;
};
