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
    static void Store(float* p, Reg v)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(p), sample_narrowing::NarrowPair(v));
    }
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

template <class Sample>
void Baseline(const double* input, Sample* output, int frames, const double* taps, double gain)
{
    sparse_fir::Filter<Sse2Lanes, kGroups, sparse_fir::ScalarLanes>(input, output, frames, taps,
                                                                     gain);
}
#else
template <class Sample>
void Baseline(const double* input, Sample* output, int frames, const double* taps, double gain)
{
    sparse_fir::Filter<sparse_fir::ScalarLanes, 4, sparse_fir::ScalarLanes>(input, output, frames,
                                                                            taps, gain);
}
#endif

// Named registers rather than an array, which the compiler would keep on the stack.
void BaselineHistory(const double* newest, double* recent, double* lead)
{
#if defined(__SSE2__)
    const __m128d a = _mm_loadu_pd(newest), b = _mm_loadu_pd(newest + 2),
                  c = _mm_loadu_pd(newest + 4), d = _mm_loadu_pd(newest + 6),
                  e = _mm_loadu_pd(newest + 8), f = _mm_loadu_pd(newest + 10),
                  g = _mm_loadu_pd(newest + 12), h = _mm_loadu_pd(newest + 14);
    const auto store = [&](double* target) {
        _mm_storeu_pd(target, a);
        _mm_storeu_pd(target + 2, b);
        _mm_storeu_pd(target + 4, c);
        _mm_storeu_pd(target + 6, d);
        _mm_storeu_pd(target + 8, e);
        _mm_storeu_pd(target + 10, f);
        _mm_storeu_pd(target + 12, g);
        _mm_storeu_pd(target + 14, h);
    };
    store(recent);
    store(lead);
#else
    double copy[kSparseHistory];
    for (int k = 0; k < kSparseHistory; ++k)
        copy[k] = newest[k];
    for (int k = 0; k < kSparseHistory; ++k)
        recent[k] = copy[k];
    for (int k = 0; k < kSparseHistory; ++k)
        lead[k] = copy[k];
#endif
}

}  // namespace

SparseFirKernels BaselineSparseFirKernels()
{
    return {&Baseline<double>, &Baseline<float>, &BaselineHistory};
}
