#pragma once

#include "vst3/Vst3Abi.h"

// The plug-in's saved state (core/StateBlock.h) through a VST3 host's IBStream, which may
// move fewer bytes per call than asked.
namespace Vst3State {

bool Save(vst3::IBStream* stream, int step);
// False for a null, empty, short, failing or foreign stream, or a step out of range; `step`
// is then left alone.
bool Load(vst3::IBStream* stream, int* step);

}  // namespace Vst3State
