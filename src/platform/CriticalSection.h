#pragma once

#include "platform/platform.h"

// Owns one critical section for the object's lifetime. Re-entrant for the thread that holds it.
class CCriticalSection {
public:
    CCriticalSection() noexcept;
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter();
    void Leave();

private:
    CRITICAL_SECTION section;
};
