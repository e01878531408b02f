#include "core/StateBlock.h"

#include "effect/ControlDescription.h"

namespace {

constexpr uint8_t kMagic[4] = {'Q', 'M', 'V', 'C'};
constexpr uint32_t kFormatVersion = 1;

void PutWord(uint8_t* at, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(word >> (8 * i));
}

uint32_t WordAt(const uint8_t* at)
{
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i)
        word |= uint32_t(at[i]) << (8 * i);
    return word;
}

}  // namespace

void StateBlock::Encode(int step, uint8_t block[kSize])
{
    for (int i = 0; i < 4; ++i)
        block[i] = kMagic[i];
    PutWord(block + 4, kFormatVersion);
    PutWord(block + 8, uint32_t(step));
}

bool StateBlock::Decode(const uint8_t block[kSize], int* step)
{
    for (int i = 0; i < 4; ++i)
        if (block[i] != kMagic[i])
            return false;
    const uint32_t savedStep = WordAt(block + 8);
    if (WordAt(block + 4) != kFormatVersion || savedStep >= uint32_t(OversamplingControl::kStepCount))
        return false;
    *step = int(savedStep);
    return true;
}
