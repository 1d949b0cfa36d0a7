#include "platform/CriticalSection.h"

CCriticalSection::CCriticalSection() noexcept
{
    InitializeCriticalSection(&section);
}

CCriticalSection::~CCriticalSection()
{
    DeleteCriticalSection(&section);
}

void CCriticalSection::Enter()
{
    EnterCriticalSection(&section);
}

void CCriticalSection::Leave()
{
    LeaveCriticalSection(&section);
}
