#pragma once

#include <optional>
#include <string>
#include <vector>

// Writes one JSON object, field by field; a missing figure becomes null.
class CJsonWriter {
public:
    // key is null for the outermost object and for the elements of an array.
    void BeginObject(const char* key = nullptr);
    void EndObject();
    void BeginArray(const char* key);
    void EndArray();

    void Number(const char* key, std::optional<double> value);
    void Integer(const char* key, std::optional<long long> value);
    void Boolean(const char* key, bool value);
    void Text(const char* key, const std::string& value);

    const std::string& Result() const { return out; }

private:
    // The separator before a value and its key, if it has one.
    void Key(const char* key);
    void Open(const char* key, char bracket);
    void Close(char bracket);

    std::string out;
    // Per open object or array: whether it has no value yet.
    std::vector<bool> empty;
};
