#include "rtspmsg/RtspHeaderValue.h"

#include "rtspmsg/OwnedList.h"

CRtspHeaderValue::CRtspHeaderValue(const char* text)
{
    AddParam(text != nullptr ? text : "");
}

void CRtspHeaderValue::Append(std::string& out)
{
    for (size_t i = 0; i < params.size(); ++i) {
        if (i > 0)
            out += ';';
        out += params[i]->name;
        if (!params[i]->value.empty()) {
            out += '=';
            out += params[i]->value;
        }
    }
}

void CRtspHeaderValue::AddParam(const std::string& name, const std::string& value)
{
    MakeItem([&] { AppendOwned(params, new (std::nothrow) CRtspParam{name, value}); });
}

const CRtspParam* CRtspHeaderValue::FindParam(const std::string& name) const
{
    for (const auto& param : params) {
        if (param->name == name)
            return param.get();
    }
    return nullptr;
}
