// The shared library's load entry point. Only Windows has one to write: it switches off the
// thread attach/detach notifications, which the library does not use.
#ifdef _WIN32
#include "platform.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
#endif
