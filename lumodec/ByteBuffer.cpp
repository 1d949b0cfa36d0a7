#include "ByteBuffer.h"

#include <cstring>
#include <new>
#include <utility>

namespace {
// Most access units of a small stream fit without growing.
const size_t kFirstCapacity = 64 * 1024;
} // namespace

bool CByteBuffer::Append(const unsigned char* data, size_t length)
{
    if (length > limit - size || !Reserve(size + length))
        return false;
    memcpy(bytes.get() + size, data, length);
    size += length;
    return true;
}

bool CByteBuffer::Reserve(size_t needed)
{
    if (needed <= capacity)
        return true;
    size_t grown = capacity ? capacity : kFirstCapacity;
    while (grown < needed)
        grown *= 2;
    if (grown > limit)
        grown = limit;
    std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[grown]);
    if (!larger)
        return false;
    if (size)
        memcpy(larger.get(), bytes.get(), size);
    bytes = std::move(larger);
    capacity = grown;
    return true;
}

void CByteBuffer::Swap(CByteBuffer& other)
{
    std::swap(bytes, other.bytes);
    std::swap(size, other.size);
    std::swap(capacity, other.capacity);
    std::swap(limit, other.limit);
}
