// Built with AVX2 enabled and without fused multiply-add, so that every product and every
// sum rounds on its own, exactly as in the baseline kernel. Nothing here runs unless the
// processor reports AVX2.

#include "effect/SparseFirKernel.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "effect/SparseFirLoop.h"

#if defined(__FMA__) || defined(__FP_FAST_FMA)
#error "this translation unit must be built without fused multiply-add"
#endif

namespace {

struct Avx2Lanes {
    using Reg = __m256d;
    static constexpr int kWidth = 4;
    static Reg Load(const double* p) { return _mm256_loadu_pd(p); }
    static Reg Load(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static void Store(double* p, Reg v) { _mm256_storeu_pd(p, v); }
    static void Store(float* p, Reg v) { _mm_storeu_ps(p, sample_narrowing::NarrowQuad(v)); }
    static void StoreRounded(float* p, Reg v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
    static bool AnyBeyondFloatRange(const Reg* v, int count)
    {
        return sample_narrowing::AnyBeyondFloatRange(v, count);
    }
    static Reg Broadcast(const double* p) { return _mm256_broadcast_sd(p); }
    static Reg Zero() { return _mm256_setzero_pd(); }
    static Reg Add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    static Reg Splice(Reg older, Reg newer, int k)
    {
        const Reg middle = _mm256_permute2f128_pd(older, newer, 0x21);  // older 2, 3, newer 0, 1
        if (k == 2)
            return middle;
        return k == 1 ? _mm256_shuffle_pd(middle, newer, 0x5)
                      : _mm256_shuffle_pd(older, middle, 0x5);
    }
};

// Four groups of four frames: eight measured slower, as their sums no longer fit in the
// registers beside the loads.
constexpr int kGroups = 4;

}  // namespace

SparseFirKernels Avx2SparseFirKernels()
{
    return sparse_fir::KernelsFor<Avx2Lanes, kGroups>();
}
#else
SparseFirKernels Avx2SparseFirKernels()
{
    return {nullptr, nullptr, nullptr};
}
#endif
