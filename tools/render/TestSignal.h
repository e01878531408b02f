#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct StereoSignal {
    uint32_t sampleRate = 48000;
    std::vector<double> left;
    std::vector<double> right;
};

// Six seconds at 48 kHz that show a filter's character by ear and on a scope: a unit
// impulse at 0.1 s, a logarithmic sine sweep from 20 Hz to 20 kHz at -6 dBFS from 0.5 s to
// 4.5 s, and a burst of white noise at -20 dBFS RMS (different in each channel) from 5.0 s to
// 5.75 s, with silence around them. The same samples on every platform and every run.
StereoSignal MakeDefaultTestSignal();

// A unit impulse at frame 0 in both channels followed by silence, `frames` long.
StereoSignal MakeUnitImpulse(size_t frames, uint32_t sampleRate);

// Where the parts of the default test signal sit, for checks and for the help text.
namespace TestSignalLayout {
constexpr uint32_t kSampleRate = 48000;
constexpr size_t kFrames = 6 * kSampleRate;
constexpr size_t kImpulseFrame = kSampleRate / 10;
constexpr size_t kSweepStart = kSampleRate / 2;
constexpr size_t kSweepFrames = 4 * kSampleRate;
constexpr double kSweepLowHz = 20.0;
constexpr double kSweepHighHz = 20000.0;
constexpr double kSweepAmplitude = 0.5;
constexpr size_t kNoiseStart = 5 * kSampleRate;
constexpr size_t kNoiseFrames = 3 * kSampleRate / 4;
constexpr double kNoiseRms = 0.1;
}  // namespace TestSignalLayout
