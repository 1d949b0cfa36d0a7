#pragma once

#include <cstddef>
#include <memory>

// A byte buffer that grows on demand up to a fixed limit, so that a hostile stream cannot make
// it take more memory than its owner allows.
class CByteBuffer {
public:
    explicit CByteBuffer(size_t limit) : limit(limit) {}

    // Appends the bytes; false, with nothing appended, past the limit or when memory runs out.
    bool Append(const unsigned char* data, size_t length);
    void Clear() { size = 0; }
    void Swap(CByteBuffer& other);
    const unsigned char* Data() const { return bytes.get(); }
    size_t Size() const { return size; }

private:
    bool Reserve(size_t needed);

    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
    size_t capacity = 0;
    size_t limit;
};
