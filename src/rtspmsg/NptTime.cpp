#include "rtspmsg/NptTime.h"

#include "rtspmsg/Int32Math.h"
#include "rtspmsg/TimeText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const int kMicrosecondsPerSecond = 1000000;
const int kMaxFields = 4;
// Seconds per unit of the fields before the last one: minutes, hours, days.
const double kFieldSeconds[kMaxFields] = {1, 60, 3600, 86400};

} // namespace

CNptTime::CNptTime(int milliseconds)
    : seconds(milliseconds / 1000), microseconds(milliseconds % 1000 * 1000)
{
    Normalize();
}

CNptTime::CNptTime(const char* text, int length)
{
    char scratch[kTimeTextSize];
    CopyTimeText(text, length, scratch);
    ParseText(scratch);
}

int CNptTime::GetMilliseconds() const
{
    // Wraps like the native target's 32-bit arithmetic for times beyond 24 days.
    return WrapAdd(WrapMultiply(seconds, 1000), microseconds / 1000);
}

const std::string& CNptTime::GetText()
{
    char scratch[kTimeTextSize];
    if (microseconds >= 1)
        std::snprintf(scratch, sizeof scratch, "%ld.%06d", static_cast<long>(seconds), microseconds);
    else
        std::snprintf(scratch, sizeof scratch, "%ld", static_cast<long>(seconds));
    text = scratch;
    return text;
}

void CNptTime::ParseText(char* text)
{
    double fields[kMaxFields + 1];
    int count = 0;
    char* rest = text;
    for (char* field = NextField(rest, ":"); field != nullptr && count <= kMaxFields;
         field = NextField(rest, ":"))
        fields[count++] = std::strtod(field, nullptr);
    seconds = 0;
    microseconds = 0;
    if (count == 0 || count > kMaxFields)
        return;
    double last = fields[count - 1];
    microseconds = TruncateToInt((last - std::trunc(last)) * kMicrosecondsPerSecond);
    // Each field is truncated on its own, so fractional minutes or hours count.
    double whole = 0;
    for (int i = 0; i < count; ++i)
        whole += std::trunc(fields[count - 1 - i] * kFieldSeconds[i]);
    seconds = TruncateToInt(whole);
    Normalize();
}

void CNptTime::Normalize()
{
    while (microseconds < 0) {
        microseconds += kMicrosecondsPerSecond;
        seconds = WrapAdd(seconds, -1);
    }
    while (microseconds >= kMicrosecondsPerSecond) {
        microseconds -= kMicrosecondsPerSecond;
        seconds = WrapAdd(seconds, 1);
    }
}
