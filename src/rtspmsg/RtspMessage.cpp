#include "rtspmsg/RtspMessage.h"

#include "rtspmsg/DecimalText.h"
#include "rtspmsg/OwnedList.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Wide enough for any unsigned long, also where it has 64 bits.
const int kNumberTextSize = 24;

} // namespace

void CRtspMessage::ToText(std::string& out)
{
    if (!AppendHead(out))
        return;
    if (bodyLength > 0)
        out.append(body.get(), static_cast<size_t>(bodyLength));
}

int CRtspMessage::ToBuffer(char* buffer, int bufferSize)
{
    std::string head;
    try {
        if (!AppendHead(head))
            return -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    size_t bodySize = bodyLength > 0 ? static_cast<size_t>(bodyLength) : 0;
    if (buffer == nullptr || bufferSize < 0 || head.size() + bodySize > static_cast<size_t>(bufferSize))
        return -1;
    std::memcpy(buffer, head.data(), head.size());
    if (bodySize > 0)
        std::memcpy(buffer + head.size(), body.get(), bodySize);
    return static_cast<int>(head.size() + bodySize);
}

// The start line, every header and the blank line that ends the block.
bool CRtspMessage::AppendHead(std::string& out)
{
    if (!AppendStartLine(out))
        return false;
    for (cursor = headers.begin(); cursor != headers.end(); ++cursor) {
        out += (*cursor)->name;
        out += ": ";
        (*cursor)->Append(out);
    }
    out += "\r\n";
    return true;
}

bool CRtspMessage::AppendStartLine(std::string&) const
{
    return false;
}

std::string CRtspMessage::VersionText(int major, int minor)
{
    return "RTSP/" + std::to_string(major) + "." + std::to_string(minor);
}

void CRtspMessage::AddHeader(const char* name, const char* text)
{
    MakeItem([&] {
        CRtspHeader* header = new (std::nothrow) CRtspHeader(name);
        if (header != nullptr)
            header->AddValueText(text);
        AddHeader(header);
    });
}

void CRtspMessage::AddHeader(const char* name, unsigned long number)
{
    char text[kNumberTextSize] = {};
    std::snprintf(text, sizeof text, "%lu", number);
    AddHeader(name, text);
}

void CRtspMessage::AddHeader(const char* name, int number)
{
    char text[kNumberTextSize] = {};
    std::snprintf(text, sizeof text, "%d", number);
    AddHeader(name, text);
}

void CRtspMessage::AddHeader(CRtspHeader* header)
{
    AppendOwned(headers, header);
}

CRtspHeader* CRtspMessage::FindHeader(const char* name) const
{
    for (const auto& header : headers) {
        if (header->name == name)
            return header.get();
    }
    return nullptr;
}

bool CRtspMessage::GetHeaderString(const char* name, std::string& out) const
{
    const CRtspHeader* header = FindHeader(name);
    CRtspHeaderValue* value = header != nullptr ? header->FirstValue() : nullptr;
    if (value == nullptr)
        return false;
    value->Append(out);
    return true;
}

bool CRtspMessage::GetHeaderInt(const char* name, int& out) const
{
    std::string text;
    if (!GetHeaderString(name, text))
        return false;
    out = DecimalToInt(text.c_str());
    return true;
}

void CRtspMessage::SetBody(const char* data, int length)
{
    if (length <= 0)
        return;
    body.reset(new (std::nothrow) char[static_cast<size_t>(length)]);
    if (!body)
        return;
    std::memcpy(body.get(), data, static_cast<size_t>(length));
    bodyLength = length;
}
