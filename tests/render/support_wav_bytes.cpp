#include "WavBytes.h"

namespace WavBytes {

Bytes Little16(uint16_t value) { return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}; }

Bytes Little32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

Bytes ChunkClaiming(const std::string& id, uint32_t claimedSize, const Bytes& body) {
    return Join({Bytes(id.begin(), id.end()), Little32(claimedSize), body});
}

Bytes Chunk(const std::string& id, const Bytes& body) {
    Bytes chunk = ChunkClaiming(id, static_cast<uint32_t>(body.size()), body);
    if (body.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes content = {'W', 'A', 'V', 'E'};
    for (const Bytes& chunk : chunks) content.insert(content.end(), chunk.begin(), chunk.end());
    return Join({{'R', 'I', 'F', 'F'}, Little32(static_cast<uint32_t>(content.size())), content});
}

Bytes BasicFormat(uint16_t tag, uint16_t channels, uint32_t sampleRate, uint16_t bits, int blockAlign) {
    const uint16_t align = static_cast<uint16_t>(blockAlign >= 0 ? blockAlign : channels * bits / 8);
    return Join({Little16(tag), Little16(channels), Little32(sampleRate), Little32(sampleRate * align),
                 Little16(align), Little16(bits)});
}

Bytes ExtensibleFormat(uint16_t subTag, uint16_t channels, uint32_t sampleRate, uint16_t containerBits,
                       uint16_t validBits) {
    const Bytes guidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    return Join({BasicFormat(0xFFFE, channels, sampleRate, containerBits), Little16(22), Little16(validBits),
                 Little32(channels == 1 ? 0x4 : 0x3), Little16(subTag), guidTail});
}

Bytes SimpleWav(const Bytes& formatBody, const Bytes& samples) {
    return Riff({Chunk("fmt ", formatBody), Chunk("data", samples)});
}

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace WavBytes
