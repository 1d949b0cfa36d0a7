#include "LoadedLibrary.h"

#include <windows.h>

CLoadedLibrary::CLoadedLibrary(const char* path) : handle(LoadLibraryA(path)) {}

CLoadedLibrary::~CLoadedLibrary()
{
    if (handle)
        FreeLibrary(static_cast<HMODULE>(handle));
}

void* CLoadedLibrary::Symbol(const char* name) const
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

bool CLoadedLibrary::IsLoaded(const char* name)
{
    return GetModuleHandleA(name) != nullptr;
}

bool CLoadedLibrary::LoadForGood(const char* path)
{
    return LoadLibraryA(path) != nullptr;
}
