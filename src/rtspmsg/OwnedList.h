#pragma once

#include <memory>
#include <new>
#include <vector>

// Appends an item made with new (std::nothrow) to an owning list. A null item is ignored, and an
// item the list has no room for is destroyed: items that cannot be allocated are left out.
template <typename T>
void AppendOwned(std::vector<std::unique_ptr<T>>& list, T* item)
{
    std::unique_ptr<T> owned(item);
    if (!owned)
        return;
    try {
        list.push_back(std::move(owned));
    } catch (const std::bad_alloc&) {
    }
}

// Makes one item of a message (a header, a value, a parameter). When memory runs out on the way,
// in a string copy as much as in new, the item is left out and the rest of the message stands.
template <typename Make>
void MakeItem(Make make)
{
    try {
        make();
    } catch (const std::bad_alloc&) {
    }
}
