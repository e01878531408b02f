#include "clap/ClapState.h"

#include "core/StateBlock.h"

bool ClapState::Save(const clap_ostream* stream, int step)
{
    if (!stream || !stream->write)
        return false;
    uint8_t block[StateBlock::kSize];
    StateBlock::Encode(step, block);
    // A stream may take fewer bytes than offered; a host's pipe or file often does.
    return StateBlock::TransferWhole(block, StateBlock::kSize, [stream](uint8_t* at, uint32_t count) {
        return stream->write(stream, at, count);
    });
}

bool ClapState::Load(const clap_istream* stream, int* step)
{
    if (!stream || !stream->read || !step)
        return false;
    uint8_t block[StateBlock::kSize];
    return StateBlock::TransferWhole(block, StateBlock::kSize,
                                     [stream](uint8_t* at, uint32_t count) { return stream->read(stream, at, count); }) &&
           StateBlock::Decode(block, step);
}
