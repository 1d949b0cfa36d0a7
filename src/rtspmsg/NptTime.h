#pragma once

#include <string>

// Normal play time: seconds with an optional fraction ("10.5"), or up to four ":"-separated
// fields, days:hours:minutes:seconds.
class CNptTime {
public:
    explicit CNptTime(int milliseconds);
    CNptTime(const char* text, int length);

    int GetMilliseconds() const;
    const std::string& GetText();

private:
    void ParseText(char* text);
    void Normalize();

    int seconds = 0;
    int microseconds = 0; // 0..999999 after every operation
    std::string text;
};
