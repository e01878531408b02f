#pragma once

#include <atomic>
#include <cstdint>

// A queue from one producer thread to one consumer thread that neither locks nor allocates:
// in standards whose hosts hear of parameter changes as events, the editor's changes travel
// to the audio thread this way (the editor's thread pushes, the audio thread pops). Its
// capacity is fixed; a full queue refuses the push and the caller decides what to drop.
template <class Item, uint32_t kCapacity>
class CEventQueue {
    static_assert(kCapacity > 0 && (kCapacity & (kCapacity - 1)) == 0, "a power of two");

public:
    // Producer only.
    bool Push(const Item& item)
    {
        const uint32_t at = tail.load(std::memory_order_relaxed);
        if (at - head.load(std::memory_order_acquire) == kCapacity)
            return false;
        slots[at & (kCapacity - 1)] = item;
        // The item is written before the consumer can see the new tail.
        tail.store(at + 1, std::memory_order_release);
        return true;
    }

    // Consumer only: whether a Pop would give an item, checked without taking it.
    bool HasItems() const
    {
        return head.load(std::memory_order_relaxed) != tail.load(std::memory_order_acquire);
    }

    // Consumer only.
    bool Pop(Item* item)
    {
        const uint32_t at = head.load(std::memory_order_relaxed);
        if (at == tail.load(std::memory_order_acquire))
            return false;
        *item = slots[at & (kCapacity - 1)];
        // The slot is read before the producer can see it free.
        head.store(at + 1, std::memory_order_release);
        return true;
    }

private:
    // Apart, so that the two threads do not share a cache line they both write.
    alignas(64) std::atomic<uint32_t> head{0};
    alignas(64) std::atomic<uint32_t> tail{0};
    Item slots[kCapacity];
};

// What the editor tells the host about the parameter: a press is a gesture that begins,
// sets the value and ends.
struct ParameterEvent {
    enum Kind : uint8_t { kBeginGesture, kValue, kEndGesture };
    Kind kind;
    uint32_t parameter;
    double value;
};
