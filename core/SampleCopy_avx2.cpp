// Built with AVX2 enabled; runs only where the processor reports it.

#include "core/SampleCopy.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "framework/SampleNarrowing.h"

namespace {

void Widen(const float* source, double* target, int32_t frames)
{
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4)
        _mm256_storeu_pd(target + i, _mm256_cvtps_pd(_mm_loadu_ps(source + i)));
    for (; i < frames; ++i)
        target[i] = static_cast<double>(source[i]);
}

void Narrow(const double* source, float* target, int32_t frames)
{
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4)
        _mm_storeu_ps(target + i, sample_narrowing::NarrowQuad(_mm256_loadu_pd(source + i)));
    for (; i < frames; ++i)
        target[i] = sample_narrowing::Narrow(source[i]);
}

void Copy(const double* source, double* target, int32_t frames)
{
    int32_t i = 0;
    for (; i + 8 <= frames; i += 8) {
        const __m256d a = _mm256_loadu_pd(source + i);
        const __m256d b = _mm256_loadu_pd(source + i + 4);
        _mm256_storeu_pd(target + i, a);
        _mm256_storeu_pd(target + i + 4, b);
    }
    for (; i < frames; ++i)
        target[i] = source[i];
}

}  // namespace

SampleCopies Avx2SampleCopies()
{
    return {&Widen, &Narrow, &Copy};
}
#else
SampleCopies Avx2SampleCopies()
{
    return {nullptr, nullptr, nullptr};
}
#endif
