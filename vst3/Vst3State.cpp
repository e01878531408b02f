#include "vst3/Vst3State.h"

#include "core/StateBlock.h"

bool Vst3State::Save(vst3::IBStream* stream, int step)
{
    if (!stream)
        return false;
    uint8_t block[StateBlock::kSize];
    StateBlock::Encode(step, block);
    return StateBlock::TransferWhole(block, StateBlock::kSize, [stream](uint8_t* at, uint32_t count) -> int64_t {
        int32_t written = 0;
        return stream->write(at, int32_t(count), &written) == vst3::kResultOk ? written : -1;
    });
}

bool Vst3State::Load(vst3::IBStream* stream, int* step)
{
    if (!stream || !step)
        return false;
    uint8_t block[StateBlock::kSize];
    return StateBlock::TransferWhole(block, StateBlock::kSize,
                                     [stream](uint8_t* at, uint32_t count) -> int64_t {
                                         int32_t read = 0;
                                         return stream->read(at, int32_t(count), &read) == vst3::kResultOk ? read : -1;
                                     }) &&
           StateBlock::Decode(block, step);
}
