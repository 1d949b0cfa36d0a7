#pragma once

#include <string>

// A time code of hours:minutes:seconds.frames at 30 frames per second. The milliseconds are the
// authoritative value; the fields are recomputed from them.
class CSmpteTime {
public:
    explicit CSmpteTime(int milliseconds);
    CSmpteTime(const char* text, int length);

    int GetMilliseconds() const { return milliseconds; }
    const std::string& GetText();

private:
    void ParseText(char* text);
    void FieldsToMilliseconds();
    void MillisecondsToFields();

    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    int milliseconds = 0;
    std::string text;
};
