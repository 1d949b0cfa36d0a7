#include "rtspmsg/SmpteTime.h"

#include "rtspmsg/DecimalText.h"
#include "rtspmsg/Int32Math.h"
#include "rtspmsg/TimeText.h"

#include <cstdio>

namespace {

const unsigned kFramesPerSecond = 30;
const unsigned kFramesPerMinute = 60 * kFramesPerSecond;
const unsigned kFramesPerHour = 60 * kFramesPerMinute;
const int kLastFrame = 29;
// Frames become milliseconds at the 29.97 frames per second of the cameras, not at 1000/30.
const double kFrameMilliseconds = 33.367;

} // namespace

CSmpteTime::CSmpteTime(int milliseconds) : milliseconds(milliseconds)
{
    MillisecondsToFields();
}

CSmpteTime::CSmpteTime(const char* text, int length)
{
    char scratch[kTimeTextSize];
    CopyTimeText(text, length, scratch);
    ParseText(scratch);
}

const std::string& CSmpteTime::GetText()
{
    // The fields come from MillisecondsToFields, so the text has at most 11 characters.
    char scratch[kTimeTextSize];
    int used = std::snprintf(scratch, sizeof scratch, "%02d:%02d:%02d", hours, minutes, seconds);
    if (frames > 0)
        std::snprintf(scratch + used, sizeof scratch - used, ".%02d", frames);
    text = scratch;
    return text;
}

void CSmpteTime::ParseText(char* text)
{
    int* const parts[] = {&hours, &minutes, &seconds, &frames};
    const char* const delimiters[] = {":", ":", ".", " \t"};
    hours = minutes = seconds = frames = 0;
    char* rest = text;
    for (int i = 0; i < 4; ++i) {
        const char* part = NextField(rest, delimiters[i]);
        if (part == nullptr)
            break;
        *parts[i] = DecimalToInt(part);
    }
    FieldsToMilliseconds();
    MillisecondsToFields();
}

void CSmpteTime::FieldsToMilliseconds()
{
    int total = WrapAdd(WrapMultiply(WrapAdd(WrapMultiply(hours, 60), minutes), 60), seconds);
    milliseconds = WrapMultiply(total, 1000);
    if (frames > kLastFrame) {
        frames = 0;
        return;
    }
    milliseconds = WrapAdd(milliseconds, TruncateToInt(frames * kFrameMilliseconds + 0.5));
}

void CSmpteTime::MillisecondsToFields()
{
    // Unsigned throughout: the frame count wraps modulo 2^32 above about 39 h 46 min.
    unsigned totalFrames = static_cast<unsigned>(milliseconds) * kFramesPerSecond / 1000;
    unsigned hourCount = totalFrames / kFramesPerHour;
    unsigned rest = totalFrames - hourCount * kFramesPerHour;
    unsigned minuteCount = rest / kFramesPerMinute;
    hours = static_cast<int>(hourCount);
    minutes = static_cast<int>(minuteCount);
    seconds = static_cast<int>((rest - minuteCount * kFramesPerMinute) / kFramesPerSecond);
    frames = static_cast<int>(totalFrames % kFramesPerSecond);
}
