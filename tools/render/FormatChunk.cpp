#include "tools/render/FormatChunk.h"

#include <cstring>
#include <string>

#include "tools/render/LittleEndian.h"
#include "tools/render/WavError.h"

namespace {

constexpr uint32_t kBasicFormatSize = 16;
constexpr uint32_t kExtensibleFormatSize = 40;

// Every KSDATAFORMAT_SUBTYPE_* GUID for a classic format tag is that tag as Data1
// followed by these twelve bytes.
const uint8_t kSubFormatGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                        0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string TagName(uint16_t tag) {
    switch (tag) {
        case 0x0002: return "Microsoft ADPCM";
        case 0x0006: return "A-law";
        case 0x0007: return "mu-law";
        case 0x0011: return "IMA ADPCM";
        case 0x0031: return "GSM 6.10";
        case 0x0050: return "MPEG";
        case 0x0055: return "MPEG Layer 3";
        default: return "an unknown encoding";
    }
}

std::string Hex16(uint16_t value) {
    const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

[[noreturn]] void Reject(const std::string& reason) { throw CWavError(reason); }

void RequireSize(uint32_t size, uint32_t needed, const char* what) {
    if (size < needed) {
        Reject("format chunk too short for " + std::string(what) + ": " + std::to_string(size) +
               " bytes, needs " + std::to_string(needed));
    }
}

uint16_t SubFormatTag(const uint8_t* guid) {
    // Data1 is a 32-bit number whose high half is zero for the classic tags.
    const bool known = guid[2] == 0 && guid[3] == 0 &&
                       std::memcmp(guid + 4, kSubFormatGuidTail, sizeof kSubFormatGuidTail) == 0;
    if (!known) Reject("unsupported encoding: WAVE_FORMAT_EXTENSIBLE with an unknown sub-format");
    return GetLittle16(guid);
}

SampleEncoding EncodingFor(uint16_t tag, int bits) {
    if (tag == kFormatPcm) {
        switch (bits) {
            case 8: return SampleEncoding::Pcm8;
            case 16: return SampleEncoding::Pcm16;
            case 24: return SampleEncoding::Pcm24;
            case 32: return SampleEncoding::Pcm32;
        }
        Reject("unsupported sample size: " + std::to_string(bits) + "-bit PCM");
    }
    if (tag == kFormatIeeeFloat) {
        if (bits == 32) return SampleEncoding::Float32;
        if (bits == 64) return SampleEncoding::Float64;
        Reject("unsupported sample size: " + std::to_string(bits) + "-bit float");
    }
    Reject("unsupported encoding: " + TagName(tag) + " (format tag " + Hex16(tag) + ")");
}

void CheckChannelsAndRate(int channels, uint32_t sampleRate) {
    if (channels == 0) Reject("the format chunk declares no channels");
    if (channels > 2) {
        Reject(std::to_string(channels) + " channels: only mono and stereo files can be rendered");
    }
    if (sampleRate == 0) Reject("the sample rate is 0");
}

void CheckBlockAlign(uint16_t blockAlign, const WavFormat& format) {
    if (blockAlign != format.BlockAlign()) {
        Reject("block alignment " + std::to_string(blockAlign) + " does not match " +
               std::to_string(format.channels) + " channel(s) of " +
               std::to_string(8 * BytesPerSample(format.encoding)) + " bits (expected " +
               std::to_string(format.BlockAlign()) + ")");
    }
}

}  // namespace

WavFormat DecodeFormatChunk(const uint8_t* body, uint32_t size) {
    if (size < 2) Reject("format chunk too short: " + std::to_string(size) + " bytes");
    uint16_t tag = GetLittle16(body);
    if (tag != kFormatPcm && tag != kFormatIeeeFloat && tag != kFormatExtensible) EncodingFor(tag, 0);
    RequireSize(size, tag == kFormatExtensible ? kExtensibleFormatSize : kBasicFormatSize,
                tag == kFormatExtensible ? "WAVE_FORMAT_EXTENSIBLE" : tag == kFormatPcm ? "PCM" : "IEEE float");

    const int channels = GetLittle16(body + 2);
    const uint32_t sampleRate = GetLittle32(body + 4);
    const uint16_t blockAlign = GetLittle16(body + 12);
    const int bits = GetLittle16(body + 14);
    if (tag == kFormatExtensible) {
        // The container width decides the layout; fewer valid bits only means the low
        // bits are zero, which reading the whole container handles.
        const int validBits = GetLittle16(body + 18);
        if (validBits > bits) {
            Reject(std::to_string(validBits) + " valid bits do not fit a " + std::to_string(bits) +
                   "-bit container");
        }
        tag = SubFormatTag(body + 24);
    }

    WavFormat format;
    format.encoding = EncodingFor(tag, bits);
    format.channels = channels;
    format.sampleRate = sampleRate;
    CheckChannelsAndRate(channels, sampleRate);
    CheckBlockAlign(blockAlign, format);
    return format;
}

std::vector<uint8_t> EncodeFormatChunk(const WavFormat& format) {
    const bool isFloat = IsFloatEncoding(format.encoding);
    std::vector<uint8_t> body;
    AppendLittle16(body, isFloat ? kFormatIeeeFloat : kFormatPcm);
    AppendLittle16(body, static_cast<uint16_t>(format.channels));
    AppendLittle32(body, format.sampleRate);
    AppendLittle32(body, format.sampleRate * static_cast<uint32_t>(format.BlockAlign()));
    AppendLittle16(body, static_cast<uint16_t>(format.BlockAlign()));
    AppendLittle16(body, static_cast<uint16_t>(8 * BytesPerSample(format.encoding)));
    if (isFloat) AppendLittle16(body, 0);  // cbSize: non-PCM formats carry it
    return body;
}
