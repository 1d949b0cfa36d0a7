#pragma once

// A shared library loaded at run time, as a plug-in host loads it: dlopen on POSIX, LoadLibrary
// on Windows. CMake compiles the form for the system (LoadedLibrary_posix.cpp or _win32.cpp).
class CLoadedLibrary {
public:
    explicit CLoadedLibrary(const char* path);
    // Unloads at once.
    ~CLoadedLibrary();
    CLoadedLibrary(const CLoadedLibrary&) = delete;
    CLoadedLibrary& operator=(const CLoadedLibrary&) = delete;

    bool IsOpen() const { return handle != nullptr; }
    // The exported function of that name, or null.
    template <typename Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(Symbol(name));
    }

    // Whether a library of that name is in the process now; takes no reference on it.
    static bool IsLoaded(const char* name);
    // Loads a library for the rest of the process, as a host's own dependency.
    static bool LoadForGood(const char* path);

private:
    void* Symbol(const char* name) const;

    void* handle;
};
