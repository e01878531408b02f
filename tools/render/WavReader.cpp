#include "tools/render/WavReader.h"

#include <algorithm>
#include <cstring>

#include "tools/render/FormatChunk.h"
#include "tools/render/LittleEndian.h"
#include "tools/render/SampleConversion.h"
#include "tools/render/WavError.h"

namespace {

constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;

uint64_t MeasureStream(std::istream& in) {
    const std::istream::pos_type start = in.tellg();
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.seekg(start);
    if (start < 0 || end < 0) throw CWavError("cannot determine the file's size");
    return static_cast<uint64_t>(end - start);
}

double DecodeSample(const uint8_t* p, SampleEncoding encoding) {
    switch (encoding) {
        case SampleEncoding::Pcm8: return PcmToSample(static_cast<int32_t>(p[0]) - 128, 8);
        case SampleEncoding::Pcm16: return PcmToSample(static_cast<int16_t>(GetLittle16(p)), 16);
        case SampleEncoding::Pcm24: {
            const int32_t unsignedCode = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            return PcmToSample(unsignedCode >= 0x800000 ? unsignedCode - 0x1000000 : unsignedCode, 24);
        }
        case SampleEncoding::Pcm32: return PcmToSample(static_cast<int32_t>(GetLittle32(p)), 32);
        case SampleEncoding::Float32: {
            const uint32_t bits = GetLittle32(p);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case SampleEncoding::Float64: {
            const uint64_t bits = GetLittle64(p);
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
    }
    return 0.0;
}

}  // namespace

CWavReader::CWavReader(std::istream& in) : in_(in) {
    streamSize_ = MeasureStream(in_);
    if (streamSize_ == 0) throw CWavError("the file is empty");
    uint8_t header[kRiffHeaderSize];
    if (!ReadExactly(header, sizeof header) || !TagIs(header, "RIFF") || !TagIs(header + 8, "WAVE")) {
        throw CWavError("not a RIFF/WAVE file");
    }
    FindDataChunk();
}

void CWavReader::FindDataChunk() {
    for (;;) {
        uint8_t header[kChunkHeaderSize];
        if (!ReadExactly(header, sizeof header)) {
            throw CWavError("the header is cut off before the data chunk");
        }
        const uint32_t size = GetLittle32(header + 4);
        if (TagIs(header, "data")) {
            StartData(size);
            return;
        }
        if (TagIs(header, "fmt ")) {
            ReadFormatChunk(size);
        } else {
            Skip(size);
        }
        if (size % 2 != 0) Skip(1);  // chunks start on even offsets
    }
}

void CWavReader::ReadFormatChunk(uint32_t size) {
    if (size > streamSize_ - offset_) throw CWavError("the header is cut off inside the format chunk");
    std::vector<uint8_t> body(size);
    if (!ReadExactly(body.data(), body.size())) {
        throw CWavError("the header is cut off inside the format chunk");
    }
    format_ = DecodeFormatChunk(body.data(), size);
    haveFormat_ = true;
}

void CWavReader::StartData(uint32_t claimedBytes) {
    if (!haveFormat_) throw CWavError("the data chunk comes before any format chunk");
    const uint64_t blockAlign = static_cast<uint64_t>(format_.BlockAlign());
    const uint64_t presentBytes = std::min<uint64_t>(claimedBytes, streamSize_ - offset_);
    frameCount_ = presentBytes / blockAlign;
    const std::string processing = "; processing the " + std::to_string(frameCount_) + " whole frames present";
    if (presentBytes < claimedBytes) {
        warning_ = "the data chunk is cut short: " + std::to_string(presentBytes) + " of " +
                   std::to_string(claimedBytes) + " bytes present" + processing;
    } else if (presentBytes % blockAlign != 0) {
        warning_ = "the data chunk ends in a partial frame: " + std::to_string(presentBytes) +
                   " bytes in frames of " + std::to_string(blockAlign) + processing;
    }
}

void CWavReader::Skip(uint64_t bytes) {
    if (bytes > streamSize_ - offset_) throw CWavError("the header is cut off before the data chunk");
    in_.seekg(static_cast<std::streamoff>(bytes), std::ios::cur);
    if (!in_) throw CWavError("read error in the header");
    offset_ += bytes;
}

bool CWavReader::ReadExactly(uint8_t* buffer, size_t bytes) {
    in_.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(bytes));
    offset_ += static_cast<uint64_t>(in_.gcount());
    return static_cast<size_t>(in_.gcount()) == bytes;
}

size_t CWavReader::Read(double* const* channels, size_t maxFrames) {
    const size_t frames = static_cast<size_t>(std::min<uint64_t>(maxFrames, frameCount_ - framesDelivered_));
    const size_t sampleBytes = static_cast<size_t>(BytesPerSample(format_.encoding));
    const size_t blockAlign = static_cast<size_t>(format_.BlockAlign());
    bytes_.resize(frames * blockAlign);
    if (!ReadExactly(bytes_.data(), bytes_.size())) throw CWavError("read error in the data chunk");
    for (size_t frame = 0; frame < frames; ++frame) {
        const uint8_t* frameBytes = bytes_.data() + frame * blockAlign;
        for (int channel = 0; channel < format_.channels; ++channel) {
            channels[channel][frame] = DecodeSample(frameBytes + channel * sampleBytes, format_.encoding);
        }
    }
    framesDelivered_ += frames;
    return frames;
}
