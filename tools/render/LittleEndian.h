#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// RIFF stores every number little-endian whatever the machine's own order is.
inline uint16_t GetLittle16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t GetLittle32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t GetLittle64(const uint8_t* p) {
    return static_cast<uint64_t>(GetLittle32(p)) | (static_cast<uint64_t>(GetLittle32(p + 4)) << 32);
}

inline void PutLittle16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLittle32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void PutLittle64(uint8_t* p, uint64_t v) {
    PutLittle32(p, static_cast<uint32_t>(v));
    PutLittle32(p + 4, static_cast<uint32_t>(v >> 32));
}

inline void AppendLittle16(std::vector<uint8_t>& out, uint16_t v) {
    out.resize(out.size() + 2);
    PutLittle16(out.data() + out.size() - 2, v);
}

inline void AppendLittle32(std::vector<uint8_t>& out, uint32_t v) {
    out.resize(out.size() + 4);
    PutLittle32(out.data() + out.size() - 4, v);
}

inline void AppendTag(std::vector<uint8_t>& out, const char* fourCharacters) {
    out.insert(out.end(), fourCharacters, fourCharacters + 4);
}

inline bool TagIs(const uint8_t* p, const char* fourCharacters) { return std::memcmp(p, fourCharacters, 4) == 0; }
