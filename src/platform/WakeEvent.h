#pragma once

#include "platform/platform.h"

#ifndef _WIN32
#include <condition_variable>
#include <mutex>
#endif

// A thread's timed sleep that another thread can end early. Lets a thread that has something
// to do now and then sleep that long instead of napping and looking at a flag (each nap costs a
// wake-up, which under Wine goes through the wineserver).
class CWakeEvent {
public:
    // ForGood: after Set, every wait returns at once. Once: a Set ends one wait (the current or
    // the next), which consumes it.
    enum class Mode { ForGood, Once };

    explicit CWakeEvent(Mode mode = Mode::ForGood);
    ~CWakeEvent();
    CWakeEvent(const CWakeEvent&) = delete;
    CWakeEvent& operator=(const CWakeEvent&) = delete;

    // Sleeps for the time given, unless Set comes first (or came before).
    void Wait(DWORD milliseconds);
    // From any thread.
    void Set();

private:
#ifdef _WIN32
    HANDLE event;
#else
    std::mutex mutex;
    std::condition_variable condition;
    const bool once;
    bool set = false;
#endif
};
