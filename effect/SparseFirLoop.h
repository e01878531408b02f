#pragma once

// The loop shared by the kernels of SparseFirKernel.h, written once over a vector type V
// that holds V::kWidth consecutive frames of one channel. V provides Load (of 64-bit samples,
// and widening 32-bit ones), Store (to 64-bit samples, and narrowing to 32-bit ones, with
// StoreRounded and AnyBeyondFloatRange for the samples within the float range), Broadcast,
// Add, Mul and, where kWidth > 1, Splice(older, newer, k): older's last k samples followed
// by newer's first kWidth - k. Every instruction set supplies its own V in its own
// translation unit. Only additions of one frame's sum depend on each other, so several
// groups of frames run side by side to keep the adders busy.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "effect/SparseFirKernel.h"
#include "framework/SampleNarrowing.h"

namespace sparse_fir {
// Internal linkage: each instruction set's translation unit gets its own copies, so the
// linker can never hand the baseline a copy built for wider units.
namespace {

// The finished sums of Groups * V::kWidth consecutive frames.
template <class V, int Groups, class Sample>
inline void StoreSums(Sample* output, const typename V::Reg* result)
{
    if constexpr (std::is_same_v<Sample, float>) {
        // Sums beyond the float range are rare: one test for the whole span lets the others
        // narrow by rounding alone, which gives them the same bits.
        if (!V::AnyBeyondFloatRange(result, Groups)) {
#pragma GCC unroll 8
            for (int g = 0; g < Groups; ++g)
                V::StoreRounded(output + g * V::kWidth, result[g]);
            return;
        }
    }
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g)
        V::Store(output + g * V::kWidth, result[g]);
}

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
        sum[g] = V::Add(V::Mul(gain, sum[g]), zero);
    StoreSums<V, Groups>(output, sum);
}

// The whole run, Groups * V::kWidth frames at a time. A last span that would reach past the
// end is moved back to end at the last frame instead: the frames it computes again come
// out with the same bits. Runs shorter than a span take half as many groups, down to one
// group and then single frames. Inlined into the block: a call would save and restore the
// vector registers that the Windows x64 convention keeps for the caller, once per channel.
template <class V, int Groups, class Scalar, class Sample>
[[gnu::always_inline]] inline void Filter(const double* input, Sample* output, int frames,
                                          const double* taps, double gain)
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

// Whole spans from the last frame down, each reading only inputs below what it writes;
// returns how many frames at the start, fewer than a span, are left.
template <class V, int Groups, class Sample>
inline int WholeSpansFromTheEnd(const double* input, Sample* output, int frames,
                                const double* taps, typename V::Reg gain, typename V::Reg zero)
{
    constexpr int kSpan = Groups * V::kWidth;
    int left = frames;
    for (; left >= kSpan; left -= kSpan)
        FilterGroups<V, Groups>(input + left - kSpan, output + left - kSpan, taps, gain, zero);
    return left;
}

// The same run from its last span to its first, the span that would reach past the start
// moved up to begin at the first frame. Inputs and outputs must not overlap.
template <class V, int Groups, class Scalar, class Sample>
[[gnu::always_inline]] inline void FilterFromTheEnd(const double* input, Sample* output,
                                                    int frames, const double* taps, double gain)
{
    constexpr int kSpan = Groups * V::kWidth;
    if (frames < kSpan) {
        Filter<V, Groups, Scalar>(input, output, frames, taps, gain);
        return;
    }
    const typename V::Reg vectorGain = V::Broadcast(&gain);
    const typename V::Reg vectorZero = V::Zero();
    if (WholeSpansFromTheEnd<V, Groups>(input, output, frames, taps, vectorGain, vectorZero) > 0)
        FilterGroups<V, Groups>(input, output, taps, vectorGain, vectorZero);
}

// Whether a span's outputs share their low twelve address bits with inputs that the span
// after it reads: the processor then holds those loads back until the stores are done, as
// happens when the host's arrays lie a multiple of 4 KiB apart. Run from the end, the
// spans after a store read only inputs below it.
template <class V, int Groups>
inline bool OutputsMeetNextInputs(const double* input, const double* output)
{
    constexpr uintptr_t kPage = 4096;
    constexpr uintptr_t kSpanBytes = sizeof(double) * Groups * V::kWidth;
    const uintptr_t distance =
        (reinterpret_cast<uintptr_t>(output) - reinterpret_cast<uintptr_t>(input)) % kPage;
    return distance < 2 * kSpanBytes || distance > kPage - sizeof(double) * kSparseHistory;
}

// The first frames of a block read where the host keeps them: their sums reach back into
// the history, whose newest sample lies just before historyEnd. Every vector lies wholly in
// the history or wholly in the block, except the few that start in one and end in the
// other: those are spliced in registers from one load of each. Nothing read here was
// stored just before, so no load waits for a store to reach the cache.
template <class V, int Groups, int Start, class Sample>
[[gnu::always_inline]] inline void FilterHeadSpan(const double* historyEnd, const double* input,
                                                  Sample* output, const double* taps,
                                                  typename V::Reg gain, typename V::Reg zero)
{
    constexpr int kWidth = V::kWidth;
    using Reg = typename V::Reg;
    Reg spliced[kWidth];
    if constexpr (kWidth > 1) {
        const Reg older = V::Load(historyEnd - kWidth), newer = V::Load(input);
#pragma GCC unroll 8
        for (int k = 1; k < kWidth; ++k)
            spliced[k] = V::Splice(older, newer, k);
    }
    // Frames from `first` on; once the loops are unrolled every choice here is a constant.
    const auto window = [&](int first) -> Reg {
        if (first >= 0)
            return V::Load(input + first);
        if (first <= -kWidth)
            return V::Load(historyEnd + first);
        return spliced[-first];
    };
    Reg sum[Groups];
    const Reg tap0 = V::Broadcast(taps);
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g)
        sum[g] = V::Mul(tap0, window(Start + g * kWidth));
#pragma GCC unroll 16
    for (int j = 1; j < kSparseTaps; ++j) {
        const Reg tap = V::Broadcast(taps + j);
#pragma GCC unroll 8
        for (int g = 0; g < Groups; ++g)
            sum[g] = V::Add(sum[g], V::Mul(tap, window(Start + g * kWidth - j)));
    }
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g)
        sum[g] = V::Add(V::Mul(gain, sum[g]), zero);
    StoreSums<V, Groups>(output + Start, sum);
}

// The frames of a block that reach back into the history: whole spans from the first frame
// until they cover kSparseHistory frames.
template <class V, int Groups>
constexpr int HeadFrames()
{
    constexpr int kSpan = Groups * V::kWidth;
    return (kSparseHistory + kSpan - 1) / kSpan * kSpan;
}

// The head's spans, the last first: each reads only inputs below the outputs of those
// already done, so input and output may be the same array.
template <class V, int Groups, int Start, class Sample>
inline void FilterHead(const double* historyEnd, const double* input, Sample* output,
                       const double* taps, typename V::Reg gain, typename V::Reg zero)
{
    if constexpr (Start + Groups * V::kWidth < HeadFrames<V, Groups>())
        FilterHead<V, Groups, Start + Groups * V::kWidth>(historyEnd, input, output, taps, gain,
                                                         zero);
    FilterHeadSpan<V, Groups, Start>(historyEnd, input, output, taps, gain, zero);
}

// The 16 samples of a history from one place to another that does not overlap it.
template <class V>
inline void CopyHistory(const double* from, double* to)
{
#pragma GCC unroll 16
    for (int k = 0; k < kSparseHistory; k += V::kWidth)
        V::Store(to + k, V::Load(from + k));
}

// The newest 16 inputs into both copies of the history, all read before either is written:
// after a block shorter than 16 frames they start inside the lead.
template <class V>
inline void KeepHistory(const double* newest, double* recent, double* lead)
{
    constexpr int kRegs = kSparseHistory / V::kWidth;
    typename V::Reg r[kRegs];
#pragma GCC unroll 16
    for (int k = 0; k < kRegs; ++k)
        r[k] = V::Load(newest + k * V::kWidth);
#pragma GCC unroll 16
    for (int k = 0; k < kRegs; ++k)
        V::Store(recent + k * V::kWidth, r[k]);
#pragma GCC unroll 16
    for (int k = 0; k < kRegs; ++k)
        V::Store(lead + k * V::kWidth, r[k]);
}

template <class V, class Scalar, class Sample>
inline void TakeInput(const Sample* input, double* line, int frames)
{
    int i = 0;
    for (; i + V::kWidth <= frames; i += V::kWidth)
        V::Store(line + i, V::Load(input + i));
    for (; i < frames; ++i)
        Scalar::Store(line + i, Scalar::Load(input + i));
}

// Whether two runs of `frames` samples share any sample.
template <class Sample>
inline bool Overlap(const Sample* a, const Sample* b, int frames)
{
    const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
    const uintptr_t first = reinterpret_cast<uintptr_t>(a);
    const uintptr_t second = reinterpret_cast<uintptr_t>(b);
    return first < second + bytes && second < first + bytes;
}

// Whether no output of the block overlaps any input of it.
template <class Sample>
inline bool InputsApartFromOutputs(const Sample* const* inputs, Sample* const* outputs,
                                   int frames)
{
    for (int i = 0; i < 2; ++i)
        for (int o = 0; o < 2; ++o)
            if (Overlap(inputs[i], outputs[o], frames))
                return false;
    return true;
}

// 64-bit inputs that no output overlaps, read where the host keeps them; the history comes
// from `recent`, which always holds it, so the lead is only brought up to date.
template <class V, int Groups, class Scalar>
void RunOnHostInputs(const double* const* input, double* const* line, double* const* output,
                     int frames, double (*recent)[kSparseHistory],
                     const double (*taps)[kSparseTaps], double gain)
{
    constexpr int kHead = HeadFrames<V, Groups>();
    for (int c = 0; c < 2; ++c) {
        if (OutputsMeetNextInputs<V, Groups>(input[c], output[c]))
            FilterFromTheEnd<V, Groups, Scalar>(input[c] + kHead, output[c] + kHead,
                                                frames - kHead, taps[c], gain);
        else
            Filter<V, Groups, Scalar>(input[c] + kHead, output[c] + kHead, frames - kHead,
                                      taps[c], gain);
        FilterHead<V, Groups, 0>(recent[c] + kSparseHistory, input[c], output[c], taps[c],
                                 V::Broadcast(&gain), V::Zero());
        KeepHistory<V>(input[c] + frames - kSparseHistory, recent[c], line[c] - kSparseHistory);
    }
}

// 64-bit samples filtered where the host keeps them, each channel's output its own input.
// Whole spans run from the end, each reading only inputs below what it writes; the few
// frames left above the head go to a scratch and in after the head, which reads its inputs
// last. The newest inputs wait in the lead meanwhile, which this path does not read.
template <class V, int Groups, class Scalar>
void RunInPlace(double* const* samples, double* const* line, int frames,
                double (*recent)[kSparseHistory], const double (*taps)[kSparseTaps],
                double gain)
{
    constexpr int kSpan = Groups * V::kWidth;
    constexpr int kHead = HeadFrames<V, Groups>();
    const typename V::Reg vectorGain = V::Broadcast(&gain);
    const typename V::Reg vectorZero = V::Zero();
    for (int c = 0; c < 2; ++c) {
        double* x = samples[c];
        double* lead = line[c] - kSparseHistory;
        CopyHistory<V>(x + frames - kSparseHistory, lead);
        const int left = WholeSpansFromTheEnd<V, Groups>(x + kHead, x + kHead, frames - kHead,
                                                         taps[c], vectorGain, vectorZero);
        alignas(64) double rest[kSpan];
        Filter<V, Groups, Scalar>(x + kHead, rest, left, taps[c], gain);
        FilterHead<V, Groups, 0>(recent[c] + kSparseHistory, x, x, taps[c], vectorGain,
                                 vectorZero);
        for (int i = 0; i < left; ++i)
            x[kHead + i] = rest[i];
        CopyHistory<V>(lead, recent[c]);
    }
}

// Otherwise both channels take their history and inputs into the lines before either
// writes an output, so the host may hand the same arrays for input and output.
template <class V, int Groups, class Scalar, class Sample>
void RunBlock(const Sample* const* input, double* const* line, Sample* const* output,
              int frames, double (*recent)[kSparseHistory], const double (*taps)[kSparseTaps],
              double gain, bool leadHoldsHistory)
{
    if constexpr (std::is_same_v<Sample, double>) {
        if (input[0] && input[1] && frames >= HeadFrames<V, Groups>()) {
            if (InputsApartFromOutputs(input, output, frames)) {
                RunOnHostInputs<V, Groups, Scalar>(input, line, output, frames, recent, taps,
                                                   gain);
                return;
            }
            if (input[0] == output[0] && input[1] == output[1] &&
                !Overlap(input[0], input[1], frames)) {
                RunInPlace<V, Groups, Scalar>(output, line, frames, recent, taps, gain);
                return;
            }
        }
    }
    for (int c = 0; c < 2; ++c) {
        if (!leadHoldsHistory)
            CopyHistory<V>(recent[c], line[c] - kSparseHistory);
        if (input[c])
            TakeInput<V, Scalar>(input[c], line[c], frames);
    }
    for (int c = 0; c < 2; ++c) {
        Filter<V, Groups, Scalar>(line[c], output[c], frames, taps[c], gain);
        KeepHistory<V>(line[c] + frames - kSparseHistory, recent[c], line[c] - kSparseHistory);
    }
}

// One frame at a time, in plain double arithmetic.
struct ScalarLanes {
    using Reg = double;
    static constexpr int kWidth = 1;
    static Reg Load(const double* p) { return *p; }
    static Reg Load(const float* p) { return static_cast<double>(*p); }
    static void Store(double* p, Reg v) { *p = v; }
    static void Store(float* p, Reg v) { *p = sample_narrowing::Narrow(v); }
    static void StoreRounded(float* p, Reg v) { *p = sample_narrowing::Narrow(v); }
    static bool AnyBeyondFloatRange(const Reg*, int) { return true; }
    static Reg Broadcast(const double* p) { return *p; }
    static Reg Zero() { return 0.0; }
    static Reg Add(Reg a, Reg b) { return a + b; }
    static Reg Mul(Reg a, Reg b) { return a * b; }
};

// Everything one instruction set provides, for the V and group count of its translation
// unit: the loops themselves have the kernels' signatures.
template <class V, int Groups>
inline SparseFirKernels KernelsFor()
{
    return {&Filter<V, Groups, ScalarLanes, double>, &RunBlock<V, Groups, ScalarLanes, double>,
            &RunBlock<V, Groups, ScalarLanes, float>};
}

}  // namespace
}  // namespace sparse_fir
