#pragma once

// Builders for WAV images in memory, so that every malformed file a test needs is spelled
// out byte by byte next to the test rather than kept as an opaque file.

#include <cstdint>
#include <string>
#include <vector>

namespace WavBytes {

using Bytes = std::vector<uint8_t>;

Bytes Little16(uint16_t value);
Bytes Little32(uint32_t value);
Bytes Join(std::initializer_list<Bytes> parts);

// A chunk: id, size, body and, for an odd size, the pad byte.
Bytes Chunk(const std::string& id, const Bytes& body);
// A chunk whose size field claims `claimedSize` whatever the body holds.
Bytes ChunkClaiming(const std::string& id, uint32_t claimedSize, const Bytes& body);

// "RIFF", the size of everything after it, "WAVE", then the chunks.
Bytes Riff(std::initializer_list<Bytes> chunks);

// The 16 bytes every format chunk starts with; the block alignment is channels * bits / 8
// unless given.
Bytes BasicFormat(uint16_t tag, uint16_t channels, uint32_t sampleRate, uint16_t bits, int blockAlign = -1);
// The 40-byte WAVE_FORMAT_EXTENSIBLE body with the KSDATAFORMAT sub-format for `subTag`.
Bytes ExtensibleFormat(uint16_t subTag, uint16_t channels, uint32_t sampleRate, uint16_t containerBits,
                       uint16_t validBits);

// A whole file: format chunk and data chunk.
Bytes SimpleWav(const Bytes& formatBody, const Bytes& samples);

std::string AsString(const Bytes& bytes);

}  // namespace WavBytes
