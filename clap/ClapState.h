#pragma once

#include "clap/ClapAbi.h"

// The plug-in's saved state (core/StateBlock.h) through a CLAP host's streams.
namespace ClapState {

// Writes the block, however few bytes each write takes; false when the stream fails.
bool Save(const clap_ostream* stream, int step);
// Reads a whole block; false for an empty, short, failing or foreign stream, or a step out
// of range, and `step` is then left alone.
bool Load(const clap_istream* stream, int* step);

}  // namespace ClapState
