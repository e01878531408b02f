#pragma once

#include <cstdint>
#include <vector>

#include "tools/render/WavFormat.h"

// The body of a "fmt " chunk: WAVE_FORMAT_PCM, WAVE_FORMAT_IEEE_FLOAT, or
// WAVE_FORMAT_EXTENSIBLE with one of those as its sub-format. Anything the render host
// cannot use throws CWavError with the reason.
WavFormat DecodeFormatChunk(const uint8_t* body, uint32_t size);

// The body the writer emits: the plain 16-byte PCM form, or the 18-byte IEEE float form.
std::vector<uint8_t> EncodeFormatChunk(const WavFormat& format);

constexpr uint16_t kFormatPcm = 0x0001;
constexpr uint16_t kFormatIeeeFloat = 0x0003;
constexpr uint16_t kFormatExtensible = 0xFFFE;
