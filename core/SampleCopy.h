#pragma once

#include <cstdint>

// The 32-bit sample copies of the audio bridge. Widening is exact; narrowing rounds to
// nearest, turns values beyond the float range into the largest float of their sign and
// lets NaN through.
using WidenSamples = void (*)(const float* source, double* target, int32_t frames);
using NarrowSamples = void (*)(const double* source, float* target, int32_t frames);
// 64-bit samples as they are. Blocks are short, so an inline loop beats a call into the
// C runtime, which under Wine is a call into another DLL.
using CopySamples = void (*)(const double* source, double* target, int32_t frames);

struct SampleCopies {
    WidenSamples widen;
    NarrowSamples narrow;
    CopySamples copy;
};

// The copies every processor of the build runs.
SampleCopies BaselineSampleCopies();
// The same with AVX2; null members in builds for other processors.
SampleCopies Avx2SampleCopies();
