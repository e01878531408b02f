#pragma once

#include <cstdint>

// The plug-in's saved state, the same in every standard that saves one: four bytes naming
// it, a format version and the parameter's step, little-endian, so that a project moves
// between machines, builds and standards. The bindings move the block through their hosts'
// streams, which may take or give fewer bytes per call than asked (TransferWhole).
namespace StateBlock {

constexpr uint32_t kSize = 12;

void Encode(int step, uint8_t block[kSize]);
// False for a foreign block, another format version or a step out of range; `step` is
// then left alone.
bool Decode(const uint8_t block[kSize], int* step);

// Moves `size` bytes through `transferSome(at, count)`, which moves up to `count` bytes at
// `at` and returns how many it moved; false as soon as a call moves nothing, fails
// (negative) or claims more than it was offered.
template <class TransferSome>
bool TransferWhole(uint8_t* bytes, uint32_t size, TransferSome transferSome)
{
    for (uint32_t done = 0; done < size;) {
        const int64_t moved = transferSome(bytes + done, size - done);
        if (moved <= 0 || uint64_t(moved) > size - done)
            return false;
        done += uint32_t(moved);
    }
    return true;
}

}  // namespace StateBlock
