#include "platform/CriticalSection.h"

CCriticalSection::CCriticalSection()
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
