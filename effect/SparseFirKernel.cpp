#include "effect/SparseFirKernel.h"

#include "effect/SparseFirLoop.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
struct Sse2Lanes {
    using Reg = __m128d;
    static constexpr int kWidth = 2;
    static Reg Load(const double* p) { return _mm_loadu_pd(p); }
    static Reg Load(const float* p)
    {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    static void Store(double* p, Reg v) { _mm_storeu_pd(p, v); }
    static void Store(float* p, Reg v)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(p), sample_narrowing::NarrowPair(v));
    }
    static void StoreRounded(float* p, Reg v)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(v));
    }
    static bool AnyBeyondFloatRange(const Reg* v, int count)
    {
        return sample_narrowing::AnyBeyondFloatRange(v, count);
    }
    static Reg Broadcast(const double* p) { return _mm_load1_pd(p); }
    static Reg Zero() { return _mm_setzero_pd(); }
    static Reg Add(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
    static Reg Splice(Reg older, Reg newer, int) { return _mm_shuffle_pd(older, newer, 1); }
};

// As many groups of two frames as the registers hold: six of the eight on 32-bit x86.
#if defined(__x86_64__)
constexpr int kGroups = 8;
#else
constexpr int kGroups = 6;
#endif

using Lanes = Sse2Lanes;
#else
using Lanes = sparse_fir::ScalarLanes;
constexpr int kGroups = 4;
#endif

}  // namespace

SparseFirKernels BaselineSparseFirKernels()
{
    return sparse_fir::KernelsFor<Lanes, kGroups>();
}
