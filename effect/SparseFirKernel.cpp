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
    static void Store(double* p, Reg v) { _mm_storeu_pd(p, v); }
    static Reg Broadcast(const double* p) { return _mm_load1_pd(p); }
    static Reg Zero() { return _mm_setzero_pd(); }
    static Reg Add(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
};

// As many groups of two frames as the registers hold: six of the eight on 32-bit x86.
#if defined(__x86_64__)
constexpr int kGroups = 8;
#else
constexpr int kGroups = 6;
#endif

void Baseline(const double* input, double* output, int frames, const double* taps, double gain)
{
    sparse_fir::Filter<Sse2Lanes, kGroups, sparse_fir::ScalarLanes>(input, output, frames, taps,
                                                                     gain);
}
#else
void Baseline(const double* input, double* output, int frames, const double* taps, double gain)
{
    sparse_fir::Filter<sparse_fir::ScalarLanes, 4, sparse_fir::ScalarLanes>(input, output, frames,
                                                                            taps, gain);
}
#endif

}  // namespace

SparseFirKernel BaselineSparseFirKernel()
{
    return &Baseline;
}
