#include "rtspmsg/RtspHeader.h"

#include "rtspmsg/DecimalText.h"
#include "rtspmsg/OwnedList.h"

void CRtspHeader::Append(std::string& out)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        values[i]->Append(out);
    }
    out += "\r\n";
}

void CRtspHeader::AddValue(CRtspHeaderValue* value)
{
    AppendOwned(values, value);
}

void CRtspHeader::AddValueText(const char* text)
{
    MakeItem([&] { AddValue(new (std::nothrow) CRtspHeaderValue(text)); });
}

CRtspHeaderValue* CRtspHeader::FirstValue() const
{
    return values.empty() ? nullptr : values.front().get();
}

uint16_t CRtspHeader::ServerPort() const
{
    const CRtspHeaderValue* value = FirstValue();
    if (value == nullptr)
        return 0;
    const CRtspParam* port = value->FindParam("server_port");
    if (port == nullptr)
        return 0;
    return static_cast<uint16_t>(static_cast<unsigned>(DecimalToInt(port->value.c_str())));
}
