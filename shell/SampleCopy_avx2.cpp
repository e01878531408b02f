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

// Clamped to the float range, except an infinity, which stays as it is. max and min return
// their second operand when either is NaN: NaN passes.
void Narrow(const double* source, float* target, int32_t frames)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const __m256d largest = _mm256_set1_pd(kLargest);
    const __m256d lowest = _mm256_set1_pd(-kLargest);
    const __m256d infinity = _mm256_set1_pd(kInfinity);
    const __m256d sign = _mm256_set1_pd(-0.0);
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m256d x = _mm256_loadu_pd(source + i);
        const __m256d infinite = _mm256_cmp_pd(_mm256_andnot_pd(sign, x), infinity, _CMP_EQ_OQ);
        const __m256d clamped = _mm256_min_pd(largest, _mm256_max_pd(lowest, x));
        _mm_storeu_ps(target + i, _mm256_cvtpd_ps(_mm256_blendv_pd(clamped, x, infinite)));
    }
    for (; i < frames; ++i) {
        const double x = source[i];
        const bool infinite = x == kInfinity || x == -kInfinity;
        target[i] = static_cast<float>(infinite ? x : x > kLargest ? kLargest : x < -kLargest ? -kLargest : x);
    }
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
