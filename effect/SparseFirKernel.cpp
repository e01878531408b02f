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

void BaselineHistory(const double* newest, double* recent, double* lead)
{
#if defined(__SSE2__)
    __m128d pairs[kSparseHistory / 2];
    for (int k = 0; k < kSparseHistory / 2; ++k)
        pairs[k] = _mm_loadu_pd(newest + 2 * k);
    for (int k = 0; k < kSparseHistory / 2; ++k) {
        _mm_storeu_pd(recent + 2 * k, pairs[k]);
        _mm_storeu_pd(lead + 2 * k, pairs[k]);
    }
#else
    double copy[kSparseHistory];
    for (int k = 0; k < kSparseHistory; ++k)
        copy[k] = newest[k];
    for (int k = 0; k < kSparseHistory; ++k) {
        recent[k] = copy[k];
        lead[k] = copy[k];
    }
#endif
}

}  // namespace

SparseFirKernel BaselineSparseFirKernel()
{
    return &Baseline;
}

HistoryCopy BaselineHistoryCopy()
{
    return &BaselineHistory;
}
