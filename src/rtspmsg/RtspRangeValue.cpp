#include "rtspmsg/RtspRangeValue.h"

#include "rtspmsg/NptTime.h"
#include "rtspmsg/SmpteTime.h"

namespace {

std::string TimeText(int unit, int milliseconds)
{
    if (unit == CRtspRangeValue::kSmpte)
        return CSmpteTime(milliseconds).GetText();
    return CNptTime(milliseconds).GetText();
}

} // namespace

CRtspRangeValue::CRtspRangeValue(int start, int end, int unit) : start(start), end(end), unit(unit)
{
    if (unit != kSmpte && unit != kNpt)
        return;
    std::string text;
    if (start != kOpen)
        text = TimeText(unit, start);
    text += '-';
    if (end != kOpen)
        text += TimeText(unit, end);
    AddParam(text);
}

void CRtspRangeValue::Append(std::string& out)
{
    if (unit == kSmpte)
        out += "smpte=";
    else if (unit == kNpt)
        out += "npt=";
    CRtspHeaderValue::Append(out);
}
