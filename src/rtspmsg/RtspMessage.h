#pragma once

#include "rtspmsg/RtspHeader.h"

#include <memory>
#include <string>
#include <vector>

// One RTSP/1.0 message: its headers in order, its version and sequence number, its body.
// Header names are matched exactly, case included; duplicates are kept and written in order.
class CRtspMessage {
public:
    using HeaderList = std::vector<std::unique_ptr<CRtspHeader>>;

    CRtspMessage() = default;
    virtual ~CRtspMessage() = default;
    CRtspMessage(const CRtspMessage&) = delete;
    CRtspMessage& operator=(const CRtspMessage&) = delete;

    // Appends the text form, body included. Nothing for a message without a start line of its
    // own (the base class, a method or status outside its table).
    virtual void ToText(std::string& out);
    // Writes the text form and the body into buffer; returns the bytes written, or -1 when the
    // message has no text form or does not fit bufferSize (then nothing is to be relied upon).
    virtual int ToBuffer(char* buffer, int bufferSize);

    void AddHeader(const char* name, const char* text);
    void AddHeader(const char* name, unsigned long number);
    void AddHeader(const char* name, int number);
    void AddHeader(CRtspHeader* header);
    CRtspHeader* FindHeader(const char* name) const;
    // Appends the first value of the header to out, without clearing it.
    bool GetHeaderString(const char* name, std::string& out) const;
    // The decimal reading of the first value; true whenever the header has a value.
    bool GetHeaderInt(const char* name, int& out) const;
    void SetBody(const char* data, int length);

    HeaderList headers;
    HeaderList::iterator cursor; // where a serialisation is; valid only while one runs
    int majorVersion = 1;
    int minorVersion = 0;
    int cseq = 0;
    int method = -1;
    std::unique_ptr<char[]> body;
    int bodyLength = 0;

protected:
    // The first line with its line end; false when the message has none.
    virtual bool AppendStartLine(std::string& out) const;
    static std::string VersionText(int major, int minor);

private:
    bool AppendHead(std::string& out);
};
