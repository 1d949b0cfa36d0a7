#pragma once

#include <memory>

// The input of one stream as it came from the network, block by block, held to a byte capacity.
// Not locked: its owner serialises the calls.
class CBlockQueue {
public:
    struct Block {
        std::unique_ptr<unsigned char[]> data;
        int length = 0;
        Block* next = nullptr;
    };

    explicit CBlockQueue(unsigned capacity) : capacity(capacity) {}
    ~CBlockQueue() { Clear(); }
    CBlockQueue(const CBlockQueue&) = delete;
    CBlockQueue& operator=(const CBlockQueue&) = delete;

    // Copies the block in; false when it would pass the capacity or memory runs out.
    bool Push(const unsigned char* data, int length);
    // The oldest block, or null when the queue is empty.
    std::unique_ptr<Block> Pop();
    void Clear();
    unsigned Bytes() const { return bytes; }

private:
    Block* head = nullptr;
    Block* tail = nullptr;
    unsigned bytes = 0;
    unsigned capacity;
};
