#pragma once

#include "platform/CriticalSection.h"

// Holds a critical section from construction to the end of the scope, also when an exception
// leaves it.
class CLockGuard {
public:
    explicit CLockGuard(CCriticalSection& section) : section(section) { section.Enter(); }
    ~CLockGuard() { section.Leave(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CCriticalSection& section;
};
