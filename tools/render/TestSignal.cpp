#include "tools/render/TestSignal.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace TestSignalLayout;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr size_t kFadeFrames = kSampleRate / 100;  // 10 ms: no clicks at the edges

// Raised-cosine fade-in and fade-out gain for frame i of a segment of n frames.
double EdgeFade(size_t i, size_t n) {
    const size_t fromEdge = std::min(i, n - 1 - i);
    if (fromEdge >= kFadeFrames) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(fromEdge) / kFadeFrames);
}

void AddSweep(StereoSignal& signal) {
    const double duration = static_cast<double>(kSweepFrames) / kSampleRate;
    const double octaves = std::log(kSweepHighHz / kSweepLowHz);
    for (size_t i = 0; i < kSweepFrames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double phase = kTwoPi * kSweepLowHz * duration / octaves * (std::exp(t / duration * octaves) - 1.0);
        const double sample = kSweepAmplitude * EdgeFade(i, kSweepFrames) * std::sin(phase);
        signal.left[kSweepStart + i] = sample;
        signal.right[kSweepStart + i] = sample;
    }
}

// Uniform noise from the engine's raw output, since the standard distributions differ
// between library implementations; a uniform variable on [-a, a) has RMS a / sqrt(3).
void AddNoise(std::vector<double>& channel, uint32_t seed) {
    std::mt19937 engine(seed);
    const double amplitude = kNoiseRms * std::sqrt(3.0);
    for (size_t i = 0; i < kNoiseFrames; ++i) {
        const double uniform = static_cast<double>(engine()) / 2147483648.0 - 1.0;
        channel[kNoiseStart + i] = amplitude * EdgeFade(i, kNoiseFrames) * uniform;
    }
}

}  // namespace

StereoSignal MakeDefaultTestSignal() {
    StereoSignal signal;
    signal.sampleRate = kSampleRate;
    signal.left.assign(kFrames, 0.0);
    signal.right.assign(kFrames, 0.0);
    signal.left[kImpulseFrame] = 1.0;
    signal.right[kImpulseFrame] = 1.0;
    AddSweep(signal);
    AddNoise(signal.left, 1);
    AddNoise(signal.right, 2);
    return signal;
}

StereoSignal MakeUnitImpulse(size_t frames, uint32_t sampleRate) {
    StereoSignal signal;
    signal.sampleRate = sampleRate;
    signal.left.assign(frames, 0.0);
    signal.right.assign(frames, 0.0);
    if (frames > 0) {
        signal.left[0] = 1.0;
        signal.right[0] = 1.0;
    }
    return signal;
}
