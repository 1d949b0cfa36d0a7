#include "rtspmsg/TimeText.h"

#include <cstring>

void CopyTimeText(const char* text, int length, char (&scratch)[kTimeTextSize])
{
    std::memset(scratch, 0, sizeof scratch);
    if (text == nullptr || length <= 0)
        return;
    size_t count = static_cast<size_t>(length) < sizeof scratch - 1 ? static_cast<size_t>(length)
                                                                    : sizeof scratch - 1;
    std::memcpy(scratch, text, count);
}

char* NextField(char*& rest, const char* delimiters)
{
    rest += std::strspn(rest, delimiters);
    if (*rest == '\0')
        return nullptr;
    char* field = rest;
    rest += std::strcspn(rest, delimiters);
    if (*rest != '\0')
        *rest++ = '\0';
    return field;
}
