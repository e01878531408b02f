#include "clap/ClapState.h"

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

bool ClapState::Save(const clap_ostream* stream, int step)
{
    if (!stream || !stream->write)
        return false;
    uint8_t block[kBlockSize];
    for (int i = 0; i < 4; ++i)
        block[i] = kMagic[i];
    PutWord(block + 4, kFormatVersion);
    PutWord(block + 8, uint32_t(step));
    // A stream may take fewer bytes than offered; a host's pipe or file often does.
    for (uint32_t done = 0; done < kBlockSize;) {
        const int64_t written = stream->write(stream, block + done, kBlockSize - done);
        if (written <= 0 || uint64_t(written) > kBlockSize - done)
            return false;
        done += uint32_t(written);
    }
    return true;
}

bool ClapState::Load(const clap_istream* stream, int* step)
{
    if (!stream || !stream->read || !step)
        return false;
    uint8_t block[kBlockSize];
    for (uint32_t done = 0; done < kBlockSize;) {
        const int64_t read = stream->read(stream, block + done, kBlockSize - done);
        if (read <= 0 || uint64_t(read) > kBlockSize - done)
            return false;
        done += uint32_t(read);
    }
    for (int i = 0; i < 4; ++i)
        if (block[i] != kMagic[i])
            return false;
    const uint32_t savedStep = WordAt(block + 8);
    if (WordAt(block + 4) != kFormatVersion || savedStep >= uint32_t(OversamplingControl::kStepCount))
        return false;
    *step = int(savedStep);
    return true;
}
