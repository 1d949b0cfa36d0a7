#pragma once

#include <cstddef>
#include <cstdio>

// A picture file being written: closed at the end of the scope, and removed when it could not
// be written whole, so that no half picture is left behind.
class CPictureFile {
public:
    explicit CPictureFile(const char* path);
    ~CPictureFile();
    CPictureFile(const CPictureFile&) = delete;
    CPictureFile& operator=(const CPictureFile&) = delete;

    bool IsOpen() const { return file != nullptr; }
    bool Write(const void* data, size_t size);
    // True when every byte reached the file.
    bool Close();

private:
    const char* path;
    FILE* file;
    bool failed = false;
};
