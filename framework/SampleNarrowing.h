#pragma once

// 64-bit samples as 32-bit ones, by the one rule every path follows: round to nearest;
// finite values beyond the float range become the largest float of their sign (the filter
// overshoots its input, so full-scale input can leave the range); an infinity stays
// infinite and NaN passes, as rounding gives them.
//
// Internal linkage: translation units built for wider units include this too, and the
// linker must never hand the baseline one of their copies.

#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX__)
#include <immintrin.h>
#endif

namespace sample_narrowing {
namespace {

constexpr double kLargestFloat = std::numeric_limits<float>::max();

inline float Narrow(double value)
{
    if (std::isinf(value))
        return static_cast<float>(value);
    return static_cast<float>(value > kLargestFloat    ? kLargestFloat
                              : value < -kLargestFloat ? -kLargestFloat
                                                       : value);
}

#if defined(__SSE2__)
// maxpd and minpd return their second operand when either is NaN, which lets NaN through.
inline __m128d ClampFinite(__m128d x)
{
    const __m128d largest = _mm_set1_pd(kLargestFloat);
    const __m128d lowest = _mm_set1_pd(-kLargestFloat);
    const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), x);
    const __m128d infinite =
        _mm_cmpeq_pd(magnitude, _mm_set1_pd(std::numeric_limits<double>::infinity()));
    const __m128d clamped = _mm_min_pd(largest, _mm_max_pd(lowest, x));
    return _mm_or_pd(_mm_and_pd(infinite, x), _mm_andnot_pd(infinite, clamped));
}

// Two samples narrowed into the low half.
inline __m128 NarrowPair(__m128d x) { return _mm_cvtpd_ps(ClampFinite(x)); }

// Whether any of the samples lies beyond the float range, infinities included. Up to that
// range rounding alone narrows exactly (NaN included), so one test for many samples keeps
// the clamping off the usual path.
inline bool AnyBeyondFloatRange(const __m128d* x, int count)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    __m128d largest = _mm_andnot_pd(sign, x[0]);
    for (int k = 1; k < count; ++k)
        largest = _mm_max_pd(largest, _mm_andnot_pd(sign, x[k]));
    return _mm_movemask_pd(_mm_cmpgt_pd(largest, _mm_set1_pd(kLargestFloat))) != 0;
}
#endif

#if defined(__AVX__)
inline __m128 NarrowQuad(__m256d x)
{
    const __m256d largest = _mm256_set1_pd(kLargestFloat);
    const __m256d lowest = _mm256_set1_pd(-kLargestFloat);
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
    const __m256d infinite = _mm256_cmp_pd(
        magnitude, _mm256_set1_pd(std::numeric_limits<double>::infinity()), _CMP_EQ_OQ);
    const __m256d clamped = _mm256_min_pd(largest, _mm256_max_pd(lowest, x));
    return _mm256_cvtpd_ps(_mm256_blendv_pd(clamped, x, infinite));
}

inline bool AnyBeyondFloatRange(const __m256d* x, int count)
{
    const __m256d sign = _mm256_set1_pd(-0.0);
    __m256d largest = _mm256_andnot_pd(sign, x[0]);
    for (int k = 1; k < count; ++k)
        largest = _mm256_max_pd(largest, _mm256_andnot_pd(sign, x[k]));
    return _mm256_movemask_pd(
               _mm256_cmp_pd(largest, _mm256_set1_pd(kLargestFloat), _CMP_GT_OQ)) != 0;
}
#endif

}  // namespace
}  // namespace sample_narrowing
