// Built with AVX2 enabled; runs only where the processor reports it.

#include "shell/SampleCopy.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include <limits>

namespace {

void Widen(const float* source, double* target, int32_t frames)
{
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4)
        _mm256_storeu_pd(target + i, _mm256_cvtps_pd(_mm_loadu_ps(source + i)));
    for (; i < frames; ++i)
        target[i] = static_cast<double>(source[i]);
}

// max and min return their second operand when either is NaN: NaN passes.
void Narrow(const double* source, float* target, int32_t frames)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    const __m256d largest = _mm256_set1_pd(kLargest);
    const __m256d lowest = _mm256_set1_pd(-kLargest);
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m256d x = _mm256_loadu_pd(source + i);
        _mm_storeu_ps(target + i, _mm256_cvtpd_ps(_mm256_min_pd(largest, _mm256_max_pd(lowest, x))));
    }
    for (; i < frames; ++i) {
        const double x = source[i];
        target[i] = static_cast<float>(x > kLargest ? kLargest : x < -kLargest ? -kLargest : x);
    }
}

}  // namespace

SampleCopies Avx2SampleCopies()
{
    return {&Widen, &Narrow};
}
#else
SampleCopies Avx2SampleCopies()
{
    return {nullptr, nullptr};
}
#endif
