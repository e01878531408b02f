#pragma once

// A buffer handed to the plug-in as `ptr`, with guard zones around it, so that a write past
// the end (or before the start) shows, and a copy of what it held before the call, so that
// a write beyond what an opcode may write shows too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace robustness {

// 512 bytes the plug-in may be given as `ptr`, between two guard zones of a fixed
// pattern. Before every call the payload is refilled (zeros, or text ending in a zero as a
// host's strings do) and a copy is kept, so that the bytes the call may not write can be
// compared afterwards.
class GuardedBuffer {
public:
    static constexpr size_t kSize = 512;
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    GuardedBuffer() : storage(kGuard + kSize + kGuard, kGuardByte), before(kSize) {}

    uint8_t* Data() { return storage.data() + kGuard; }
    const uint8_t* Data() const { return storage.data() + kGuard; }

    template <typename Random>
    void Refill(Random& random)
    {
        uint8_t* data = Data();
        if (random() % 3 == 0) {
            std::memset(data, 0, kSize);
        } else {
            const size_t end = random() % kSize;  // where the text's terminator goes
            uint64_t state = random() | 1;
            for (size_t i = 0; i < kSize; ++i) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                data[i] = static_cast<uint8_t>(1 + (state >> 32) % 255);
            }
            data[end] = 0;
            data[kSize - 1] = 0;
        }
        std::memcpy(before.data(), data, kSize);
    }

    // The payload as it is now becomes what later calls are compared against.
    void KeepAsReference() { std::memcpy(before.data(), Data(), kSize); }

    bool GuardsIntact() const
    {
        for (size_t i = 0; i < kGuard; ++i)
            if (storage[i] != kGuardByte || storage[kGuard + kSize + i] != kGuardByte)
                return false;
        return true;
    }

    // The first payload byte at or after `from` that differs from the refill, or kSize.
    size_t FirstChangeFrom(size_t from) const
    {
        for (size_t i = from; i < kSize; ++i)
            if (Data()[i] != before[i])
                return i;
        return kSize;
    }

private:
    std::vector<uint8_t> storage;
    std::vector<uint8_t> before;
};

}  // namespace robustness
