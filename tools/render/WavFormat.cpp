#include "tools/render/WavFormat.h"

namespace {

struct EncodingEntry {
    SampleEncoding encoding;
    const char* name;
    int bytes;
    bool isFloat;
};

const EncodingEntry kEncodings[] = {
    {SampleEncoding::Pcm8, "pcm8", 1, false},       {SampleEncoding::Pcm16, "pcm16", 2, false},
    {SampleEncoding::Pcm24, "pcm24", 3, false},     {SampleEncoding::Pcm32, "pcm32", 4, false},
    {SampleEncoding::Float32, "float32", 4, true},  {SampleEncoding::Float64, "float64", 8, true},
};

const EncodingEntry& EntryFor(SampleEncoding encoding) {
    for (const EncodingEntry& entry : kEncodings) {
        if (entry.encoding == encoding) return entry;
    }
    return kEncodings[1];
}

}  // namespace

int BytesPerSample(SampleEncoding encoding) { return EntryFor(encoding).bytes; }

bool IsFloatEncoding(SampleEncoding encoding) { return EntryFor(encoding).isFloat; }

const char* EncodingName(SampleEncoding encoding) { return EntryFor(encoding).name; }

bool ParseEncodingName(const std::string& name, SampleEncoding& encoding) {
    for (const EncodingEntry& entry : kEncodings) {
        if (name == entry.name) {
            encoding = entry.encoding;
            return true;
        }
    }
    return false;
}
