#pragma once

// The loop shared by the kernels of SparseFirKernel.h, written once over a vector type V
// that holds V::kWidth consecutive frames of one channel. V provides Load, Store (to 64-bit
// samples, and narrowing to 32-bit ones), Broadcast, Add and Mul; every instruction set supplies its own V in its own translation
// unit. Only additions of one frame's sum depend on each other, so several groups of
// frames run side by side to keep the adders busy.

#include "effect/SparseFirKernel.h"
#include "framework/SampleNarrowing.h"

namespace sparse_fir {
// Internal linkage: each instruction set's translation unit gets its own copies, so the
// linker can never hand the baseline a copy built for wider units.
namespace {

// Frames [0, Groups * V::kWidth) of output.
template <class V, int Groups, class Sample>
inline void FilterGroups(const double* input, Sample* output, const double* taps,
                         typename V::Reg gain, typename V::Reg zero)
{
    constexpr int kWidth = V::kWidth;
    typename V::Reg sum[Groups];
    const typename V::Reg first = V::Broadcast(taps);
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g)
        sum[g] = V::Mul(first, V::Load(input + g * kWidth));
    // The sum starts at the first product rather than at 0.0 + it: the two differ only in
    // the sign of a zero sum, which the closing + 0.0 makes +0 either way.
#pragma GCC unroll 16
    for (int j = 1; j < kSparseTaps; ++j) {
        const typename V::Reg tap = V::Broadcast(taps + j);
#pragma GCC unroll 8
        for (int g = 0; g < Groups; ++g)
            sum[g] = V::Add(sum[g], V::Mul(tap, V::Load(input + g * kWidth - j)));
    }
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g)
        V::Store(output + g * kWidth, V::Add(V::Mul(gain, sum[g]), zero));
}

// The whole run, Groups * V::kWidth frames at a time. A last span that would reach past the
// end is moved back to end at the last frame instead: the frames it computes again come
// out with the same bits. Runs shorter than a span take half as many groups, down to one
// group and then single frames.
template <class V, int Groups, class Scalar, class Sample>
void Filter(const double* input, Sample* output, int frames, const double* taps, double gain)
{
    constexpr int kSpan = Groups * V::kWidth;
    if (frames >= kSpan) {
        const typename V::Reg vectorGain = V::Broadcast(&gain);
        const typename V::Reg vectorZero = V::Zero();
        int i = 0;
        for (; i + kSpan <= frames; i += kSpan)
            FilterGroups<V, Groups>(input + i, output + i, taps, vectorGain, vectorZero);
        if (i < frames)
            FilterGroups<V, Groups>(input + frames - kSpan, output + frames - kSpan, taps,
                                    vectorGain, vectorZero);
        return;
    }
    if constexpr (Groups > 1) {
        Filter<V, Groups / 2, Scalar, Sample>(input, output, frames, taps, gain);
    } else {
        const typename Scalar::Reg scalarGain = Scalar::Broadcast(&gain);
        const typename Scalar::Reg scalarZero = Scalar::Zero();
        for (int i = 0; i < frames; ++i)
            FilterGroups<Scalar, 1>(input + i, output + i, taps, scalarGain, scalarZero);
    }
}

// One frame at a time, in plain double arithmetic.
struct ScalarLanes {
    using Reg = double;
    static constexpr int kWidth = 1;
    static Reg Load(const double* p) { return *p; }
    static void Store(double* p, Reg v) { *p = v; }
    static void Store(float* p, Reg v) { *p = sample_narrowing::Narrow(v); }
    static Reg Broadcast(const double* p) { return *p; }
    static Reg Zero() { return 0.0; }
    static Reg Add(Reg a, Reg b) { return a + b; }
    static Reg Mul(Reg a, Reg b) { return a * b; }
};

}  // namespace
}  // namespace sparse_fir
