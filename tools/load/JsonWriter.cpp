#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

void CJsonWriter::Key(const char* key)
{
    if (!empty.empty()) {
        if (!empty.back())
            out += ',';
        empty.back() = false;
    }
    if (key)
        out += Quoted(key) + ':';
}

void CJsonWriter::Open(const char* key, char bracket)
{
    Key(key);
    out += bracket;
    empty.push_back(true);
}

void CJsonWriter::Close(char bracket)
{
    out += bracket;
    empty.pop_back();
}

void CJsonWriter::BeginObject(const char* key)
{
    Open(key, '{');
}

void CJsonWriter::EndObject()
{
    Close('}');
}

void CJsonWriter::BeginArray(const char* key)
{
    Open(key, '[');
}

void CJsonWriter::EndArray()
{
    Close(']');
}

void CJsonWriter::Number(const char* key, std::optional<double> value)
{
    Key(key);
    char text[64] = "null";
    if (value && std::isfinite(*value))
        std::snprintf(text, sizeof text, "%.3f", *value);
    out += text;
}

void CJsonWriter::Integer(const char* key, std::optional<long long> value)
{
    Key(key);
    out += value ? std::to_string(*value) : "null";
}

void CJsonWriter::Boolean(const char* key, bool value)
{
    Key(key);
    out += value ? "true" : "false";
}

void CJsonWriter::Text(const char* key, const std::string& value)
{
    Key(key);
    out += Quoted(value);
}
