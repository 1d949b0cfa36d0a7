#include "BlockQueue.h"

#include <cstring>
#include <new>

bool CBlockQueue::Push(const unsigned char* data, int length)
{
    if (length <= 0 || static_cast<unsigned>(length) > capacity - bytes)
        return false;
    std::unique_ptr<Block> block(new (std::nothrow) Block);
    if (!block)
        return false;
    block->data.reset(new (std::nothrow) unsigned char[length]);
    if (!block->data)
        return false;
    memcpy(block->data.get(), data, length);
    block->length = length;
    Block* added = block.release();
    if (tail)
        tail->next = added;
    else
        head = added;
    tail = added;
    bytes += static_cast<unsigned>(length);
    return true;
}

std::unique_ptr<CBlockQueue::Block> CBlockQueue::Pop()
{
    std::unique_ptr<Block> block(head);
    if (!block)
        return block;
    head = block->next;
    if (!head)
        tail = nullptr;
    block->next = nullptr;
    bytes -= static_cast<unsigned>(block->length);
    return block;
}

// One block at a time: a long chain freed recursively could exhaust the stack.
void CBlockQueue::Clear()
{
    while (Pop())
        ;
}
