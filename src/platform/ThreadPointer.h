#pragma once

#include "platform/platform.h"

// A pointer of each thread's own, null until the thread sets it, for objects of static storage
// duration: a thread-local slot of the system's (a TLS index, a pthread key), taken when the
// module loads and given back when it goes. Not thread_local: on Windows the C++ runtime's
// thread_local goes through its threads, which leave a thread handle and an event behind for
// every thread that used it once the DLL is unloaded; in a library loaded at run time on Linux
// its blocks come and go with the threads, in ways ThreadSanitizer cannot follow.
class CThreadPointer {
public:
    CThreadPointer();
    ~CThreadPointer();
    CThreadPointer(const CThreadPointer&) = delete;
    CThreadPointer& operator=(const CThreadPointer&) = delete;

    const void* Get() const;
    void Set(const void* value);

private:
    // Whether the system had a slot left; without one, Get gives null and Set does nothing.
    bool made;
#ifdef _WIN32
    DWORD slot;
#else
    pthread_key_t slot;
#endif
};
