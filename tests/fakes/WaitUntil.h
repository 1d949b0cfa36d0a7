#pragma once

#include "platform/platform.h"

#include <chrono>

// Polls the condition every millisecond until it holds or the time runs out.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 3000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Sleep(1);
    }
    return true;
}
