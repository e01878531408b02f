#pragma once

#include <cstdint>

#include "clap/ClapAbi.h"

// The plug-in's saved state: four bytes naming it, a format version and the parameter's
// step, little-endian, so that a project moves between machines and builds.
namespace ClapState {

constexpr uint32_t kBlockSize = 12;

// Writes the block, however few bytes each write takes; false when the stream fails.
bool Save(const clap_ostream* stream, int step);
// Reads a whole block; false for an empty, short, failing or foreign stream, or a step out
// of range, and `step` is then left alone.
bool Load(const clap_istream* stream, int* step);

}  // namespace ClapState
