#pragma once

#include <cstdint>
#include <string>

// The sample encodings a WAV file may carry that the render host reads and writes.
enum class SampleEncoding { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64 };

int BytesPerSample(SampleEncoding encoding);
bool IsFloatEncoding(SampleEncoding encoding);

// "pcm8", "pcm16", "pcm24", "pcm32", "float32", "float64": the names the command line uses.
const char* EncodingName(SampleEncoding encoding);
bool ParseEncodingName(const std::string& name, SampleEncoding& encoding);

// What the format chunk says about the samples once it has been validated.
struct WavFormat {
    SampleEncoding encoding = SampleEncoding::Pcm16;
    int channels = 2;
    uint32_t sampleRate = 48000;

    int BlockAlign() const { return channels * BytesPerSample(encoding); }
};
