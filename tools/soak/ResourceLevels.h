#pragma once

#include <string>

// What the process holds at one moment: descriptors and threads from /proc, and, where glibc's
// allocator serves the heap (not under a sanitizer, which brings its own), the bytes in use.
class CResourceLevels {
public:
    // Puts every thread's allocations into the one arena that mallinfo2 reports; call before
    // any thread starts.
    static void UseOneHeapArena();
    static CResourceLevels Now();

    int descriptors = 0;
    int threads = 0;
    long long heapBytes = 0; // -1 where it is not counted

    std::string Describe() const;
};
