#pragma once

#include <cmath>
#include <cstdint>

// Integer PCM of b bits maps to doubles by dividing by 2^(b-1), so -1.0 is the most
// negative code and full-scale positive falls one code short of +1.0. Every code of every
// width is exact as a double, which keeps PCM round trips lossless.
inline double PcmFullScale(int bits) { return std::ldexp(1.0, bits - 1); }

inline double PcmToSample(int32_t code, int bits) { return code / PcmFullScale(bits); }

// The inverse: scale, clip to the codes the width has, and round to the nearest code with
// halves rounded away from zero. NaN has no sensible code and becomes silence.
inline int32_t SampleToPcm(double sample, int bits) {
    const double scale = PcmFullScale(bits);
    double scaled = sample * scale;
    if (std::isnan(scaled)) return 0;
    if (scaled < -scale) scaled = -scale;
    if (scaled > scale - 1.0) scaled = scale - 1.0;
    return static_cast<int32_t>(std::round(scaled));
}
