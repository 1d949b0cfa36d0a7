#include "PictureFile.h"

CPictureFile::CPictureFile(const char* path) : path(path), file(path ? fopen(path, "wb") : nullptr) {}

CPictureFile::~CPictureFile()
{
    failed = true;
    Close();
}

bool CPictureFile::Write(const void* data, size_t size)
{
    if (!file || failed || fwrite(data, 1, size, file) != size)
        failed = true;
    return !failed;
}

bool CPictureFile::Close()
{
    if (!file)
        return false;
    if (fclose(file) != 0)
        failed = true;
    file = nullptr;
    if (failed)
        remove(path);
    return !failed;
}
