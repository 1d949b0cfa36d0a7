#pragma once

#include <memory>
#include <string>
#include <vector>

// One ";"-separated parameter of a value. An empty value means a bare name without "=".
struct CRtspParam {
    std::string name;
    std::string value;
};

// One ","-separated value of a header: an ordered list of parameters.
class CRtspHeaderValue {
public:
    CRtspHeaderValue() = default;
    // The whole text becomes one parameter name; nothing is split.
    explicit CRtspHeaderValue(const char* text);
    virtual ~CRtspHeaderValue() = default;
    CRtspHeaderValue(const CRtspHeaderValue&) = delete;
    CRtspHeaderValue& operator=(const CRtspHeaderValue&) = delete;

    // The parameters' text forms joined by ";" without spaces.
    virtual void Append(std::string& out);

    void AddParam(const std::string& name, const std::string& value = std::string());
    const CRtspParam* FindParam(const std::string& name) const;

    std::vector<std::unique_ptr<CRtspParam>> params;
};
