#pragma once

#include "platform/platform.h"

#include <new>

// The one object of T, made on first use in static storage and never destroyed: the library's
// threads (receive, keep-alive, the decoder's display threads) and a pending snapshot may still
// use it while the process exits, after static destructors have begun. No allocation: it cannot
// fail.
template <typename T>
T& NeverDestroyed()
{
    alignas(T) static unsigned char storage[sizeof(T)];
    static OnceFlag made;
    RunOnce(made, [] { new (storage) T(); });
    return *std::launder(reinterpret_cast<T*>(storage));
}
