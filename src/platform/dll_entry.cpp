// The shared libraries' load entry point (client and the decoder stand-in). Only Windows has one
// to write: it switches off the thread attach/detach notifications, which the libraries do not
// use, and returns the thread library's per-thread data of the threads that load and unload.
#ifdef _WIN32
#include "platform.h"

#include <pthread.h>

namespace {

#if defined(WIN_PTHREADS_H) && defined(__i386__)
// The thread library is linked in statically (no runtime DLL ships), and it frees a thread's
// data only when the thread ends while this module is loaded. On 32-bit x86 the unwinder takes
// its lock as the module registers its exception tables, on the loading thread: each
// LoadLibrary/FreeLibrary round would leave that thread a duplicated thread handle and an event
// for good. Its own thread-detach callback (the one exported hook) frees them, and the next call
// makes them afresh, so it is run on the loading thread once the module is initialised and on
// the unloading thread as the module leaves. x86-64 registers no tables and leaves nothing.
extern "C" PIMAGE_TLS_CALLBACK __xl_f;

void ReleaseThreadLibraryData(HINSTANCE instance)
{
    __xl_f(instance, DLL_THREAD_DETACH, nullptr);
}
#else
void ReleaseThreadLibraryData(HINSTANCE) {}
#endif

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        ReleaseThreadLibraryData(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary: at process exit nothing needs returning.
        ReleaseThreadLibraryData(instance);
    }
    return TRUE;
}
#endif
