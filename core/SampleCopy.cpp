#include "core/SampleCopy.h"

#include "framework/SampleNarrowing.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void WidenBaseline(const float* source, double* target, int32_t frames)
{
    for (int32_t i = 0; i < frames; ++i)
        target[i] = static_cast<double>(source[i]);
}

void CopyBaseline(const double* source, double* target, int32_t frames)
{
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= frames; i += 4) {
        const __m128d a = _mm_loadu_pd(source + i);
        const __m128d b = _mm_loadu_pd(source + i + 2);
        _mm_storeu_pd(target + i, a);
        _mm_storeu_pd(target + i + 2, b);
    }
#endif
    for (; i < frames; ++i)
        target[i] = source[i];
}

// Four samples at a time; the compiler leaves the scalar loop unvectorised because of its
// comparisons.
void NarrowBaseline(const double* source, float* target, int32_t frames)
{
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= frames; i += 4) {
        const __m128 a = sample_narrowing::NarrowPair(_mm_loadu_pd(source + i));
        const __m128 b = sample_narrowing::NarrowPair(_mm_loadu_pd(source + i + 2));
        _mm_storeu_ps(target + i, _mm_movelh_ps(a, b));
    }
#endif
    for (; i < frames; ++i)
        target[i] = sample_narrowing::Narrow(source[i]);
}

}  // namespace

SampleCopies BaselineSampleCopies()
{
    return {&WidenBaseline, &NarrowBaseline, &CopyBaseline};
}
