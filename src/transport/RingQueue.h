#pragma once

// A first-in, first-out queue of at most Capacity values in fixed storage: no allocation, so
// handing out and giving back ids and ports cannot fail for want of memory.
template <typename T, int Capacity>
class CRingQueue {
public:
    bool Push(T value)
    {
        if (count == Capacity)
            return false;
        items[(head + count) % Capacity] = value;
        ++count;
        return true;
    }

    bool Pop(T& value)
    {
        if (count == 0)
            return false;
        value = items[head];
        head = (head + 1) % Capacity;
        --count;
        return true;
    }

    void Clear()
    {
        head = 0;
        count = 0;
    }

    int Size() const { return count; }

private:
    T items[Capacity] = {};
    int head = 0;
    int count = 0;
};
