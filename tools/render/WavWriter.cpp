#include "tools/render/WavWriter.h"

#include <cstring>
#include <string>

#include "tools/render/FormatChunk.h"
#include "tools/render/LittleEndian.h"
#include "tools/render/SampleConversion.h"
#include "tools/render/WavError.h"

namespace {

// RIFF sizes are 32-bit: the data, the header before it and the pad byte must fit.
constexpr uint64_t kLargestDataChunk = 0xFFFFFFFFull - 1024;

void EncodeSample(double sample, SampleEncoding encoding, uint8_t* p) {
    switch (encoding) {
        case SampleEncoding::Pcm8: p[0] = static_cast<uint8_t>(SampleToPcm(sample, 8) + 128); return;
        case SampleEncoding::Pcm16: PutLittle16(p, static_cast<uint16_t>(SampleToPcm(sample, 16))); return;
        case SampleEncoding::Pcm24: {
            const uint32_t code = static_cast<uint32_t>(SampleToPcm(sample, 24));
            p[0] = static_cast<uint8_t>(code);
            p[1] = static_cast<uint8_t>(code >> 8);
            p[2] = static_cast<uint8_t>(code >> 16);
            return;
        }
        case SampleEncoding::Pcm32: PutLittle32(p, static_cast<uint32_t>(SampleToPcm(sample, 32))); return;
        case SampleEncoding::Float32: {
            const float narrowed = static_cast<float>(sample);
            uint32_t bits;
            std::memcpy(&bits, &narrowed, sizeof bits);
            PutLittle32(p, bits);
            return;
        }
        case SampleEncoding::Float64: {
            uint64_t bits;
            std::memcpy(&bits, &sample, sizeof bits);
            PutLittle64(p, bits);
            return;
        }
    }
}

}  // namespace

CWavWriter::CWavWriter(std::ostream& out, const WavFormat& format) : out_(out), format_(format) {
    WriteHeader();
}

void CWavWriter::WriteHeader() {
    const std::vector<uint8_t> formatBody = EncodeFormatChunk(format_);
    std::vector<uint8_t> header;
    AppendTag(header, "RIFF");
    riffSizeOffset_ = static_cast<std::streamoff>(header.size());
    AppendLittle32(header, 0);
    AppendTag(header, "WAVE");
    AppendTag(header, "fmt ");
    AppendLittle32(header, static_cast<uint32_t>(formatBody.size()));
    header.insert(header.end(), formatBody.begin(), formatBody.end());
    if (IsFloatEncoding(format_.encoding)) {
        // Non-PCM files name their length in frames in a fact chunk.
        AppendTag(header, "fact");
        AppendLittle32(header, 4);
        factFramesOffset_ = static_cast<std::streamoff>(header.size());
        AppendLittle32(header, 0);
    }
    AppendTag(header, "data");
    dataSizeOffset_ = static_cast<std::streamoff>(header.size());
    AppendLittle32(header, 0);
    out_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    CheckStream("writing the header");
}

void CWavWriter::Write(const double* const* channels, size_t frames) {
    const size_t sampleBytes = static_cast<size_t>(BytesPerSample(format_.encoding));
    const size_t blockAlign = static_cast<size_t>(format_.BlockAlign());
    if (dataBytes_ + frames * blockAlign > kLargestDataChunk) {
        throw CWavWriteError("the output would exceed the 4 GiB a WAV file can hold");
    }
    bytes_.resize(frames * blockAlign);
    for (size_t frame = 0; frame < frames; ++frame) {
        uint8_t* frameBytes = bytes_.data() + frame * blockAlign;
        for (int channel = 0; channel < format_.channels; ++channel) {
            EncodeSample(channels[channel][frame], format_.encoding, frameBytes + channel * sampleBytes);
        }
    }
    out_.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    CheckStream("writing samples");
    dataBytes_ += bytes_.size();
    framesWritten_ += frames;
}

void CWavWriter::Finish() {
    if (dataBytes_ % 2 != 0) out_.put('\0');
    const std::streamoff end = out_.tellp();
    uint8_t number[4];
    auto patch = [&](std::streamoff offset, uint32_t value) {
        PutLittle32(number, value);
        out_.seekp(offset);
        out_.write(reinterpret_cast<const char*>(number), sizeof number);
    };
    patch(riffSizeOffset_, static_cast<uint32_t>(end - 8));
    if (factFramesOffset_ >= 0) patch(factFramesOffset_, static_cast<uint32_t>(framesWritten_));
    patch(dataSizeOffset_, static_cast<uint32_t>(dataBytes_));
    out_.seekp(end);
    out_.flush();
    CheckStream("finishing the file");
}

void CWavWriter::CheckStream(const char* when) const {
    if (!out_) throw CWavWriteError(std::string("write error while ") + when);
}
