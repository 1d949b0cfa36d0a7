#include "LoadedLibrary.h"

#include <dlfcn.h>

CLoadedLibrary::CLoadedLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

CLoadedLibrary::~CLoadedLibrary()
{
    if (handle)
        dlclose(handle);
}

void* CLoadedLibrary::Symbol(const char* name) const
{
    return dlsym(handle, name);
}

// RTLD_NOLOAD finds a library already mapped and loads nothing; the reference it takes on one
// that is there is given back at once.
bool CLoadedLibrary::IsLoaded(const char* name)
{
    void* found = dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
    if (found)
        dlclose(found);
    return found != nullptr;
}

bool CLoadedLibrary::LoadForGood(const char* path)
{
    return dlopen(path, RTLD_NOW | RTLD_LOCAL) != nullptr;
}
