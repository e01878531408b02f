#include "effect/StereoFir.h"

#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Zero-stuffing by the factor f means that, in a line of n = (T - 1) f + 1 entries, only
// the T entries at distances 0, f, ..., (T - 1) f from the newest one ever hold input; all
// others hold the zeros pushed after each input. The sum over the whole prototype
// therefore reduces to T products, added in the same order as the full sum would add its
// non-zero terms, so the result is the same to the last bit.

namespace {

// The sparse form keeps the T coefficients it needs on the stack.
constexpr int kMaxSparseTaps = 32;

// Left and right sample processed side by side.
#if defined(__SSE2__)
struct SamplePair {
    __m128d v;
};
inline SamplePair Pair(double left, double right) { return {_mm_set_pd(right, left)}; }
inline SamplePair LoadPair(const double* left, const double* right)
{
    return {_mm_loadh_pd(_mm_load_sd(left), right)};
}
inline SamplePair LoadInterleaved(const double* pair) { return {_mm_load_pd(pair)}; }
inline SamplePair operator+(SamplePair a, SamplePair b) { return {_mm_add_pd(a.v, b.v)}; }
inline SamplePair operator*(SamplePair a, SamplePair b) { return {_mm_mul_pd(a.v, b.v)}; }
inline void StorePair(SamplePair p, double* left, double* right)
{
    _mm_storel_pd(left, p.v);
    _mm_storeh_pd(right, p.v);
}
#else
struct SamplePair {
    double left, right;
};
inline SamplePair Pair(double left, double right) { return {left, right}; }
inline SamplePair LoadPair(const double* left, const double* right) { return {*left, *right}; }
inline SamplePair LoadInterleaved(const double* pair) { return {pair[0], pair[1]}; }
inline SamplePair operator+(SamplePair a, SamplePair b)
{
    return {a.left + b.left, a.right + b.right};
}
inline SamplePair operator*(SamplePair a, SamplePair b)
{
    return {a.left * b.left, a.right * b.right};
}
inline void StorePair(SamplePair p, double* left, double* right)
{
    *left = p.left;
    *right = p.right;
}
#endif

int SparseTapCount(int length, int factor)
{
    if (factor < 1 || length < 1 || (length - 1) % factor != 0)
        return 0;
    const int taps = (length - 1) / factor + 1;
    return taps <= kMaxSparseTaps ? taps : 0;
}

inline int Wrapped(int index, int length) { return index < 0 ? index + length : index; }
inline int WrappedUp(int index, int length) { return index >= length ? index - length : index; }

// The sparse form of one prototype's line, run on a batch of consecutive frames at once.
// A tap count known at compile time (FixedTaps > 0) lets the tap loop unroll.
template <int FixedTaps>
class SparseLine {
public:
    SparseLine(CStereoFir& fir, int factor, int taps)
        : delayA(fir.delayA),
          delayB(fir.delayB),
          length(fir.length),
          factor(factor),
          step(factor % fir.length),
          taps(FixedTaps > 0 ? FixedTaps : taps),
          gain(Pair(fir.gain, fir.gain))
    {
        for (int j = 0; j < this->taps; ++j) {
            coefficients[2 * j] = fir.coefficientsA[j * factor];
            coefficients[2 * j + 1] = fir.coefficientsB[j * factor];
        }
    }

    // Frames is at most the tap count, and the factor at least 2 when frames > 1. Then a
    // frame's input slot lies outside the taps of the frames before it in the batch (k
    // frames later it sits at a distance (taps - 1 - k) f + 1 from them), and the entry a
    // frame zeroes is neither a tap nor the input slot of a later frame (at a distance
    // k f - 1 from it): each frame's sum is what it would be frame by frame, while the sums
    // form independent chains that the processor overlaps.
    template <int Frames>
    int Run(int position, const double* inLeft, const double* inRight, double* outLeft,
            double* outRight)
    {
        int newest[Frames];
        for (int k = 0; k < Frames; ++k) {
            newest[k] = position;
            delayA[position] = inLeft[k];
            delayB[position] = inRight[k];
            position = WrappedUp(position + step, length);
        }

        SamplePair sum[Frames];
        int tap[Frames];
        for (int k = 0; k < Frames; ++k) {
            sum[k] = Pair(0.0, 0.0);
            tap[k] = newest[k];
        }
        for (int j = 0; j < Taps(); ++j) {
            const SamplePair coefficient = LoadInterleaved(coefficients + 2 * j);
            for (int k = 0; k < Frames; ++k) {
                sum[k] = sum[k] + coefficient * LoadPair(delayA + tap[k], delayB + tap[k]);
                tap[k] = Wrapped(tap[k] - factor, length);
            }
        }

        for (int k = 0; k < Frames; ++k) {
            // The full form adds its sum to an output cleared to 0.0, which makes -0 +0.
            StorePair(gain * sum[k] + Pair(0.0, 0.0), outLeft + k, outRight + k);
            // Of the f - 1 zeros pushed after an input only the first lands on a non-zero
            // entry, the oldest input in the line; the others fall on zeros.
            if (factor > 1) {
                const int oldest = WrappedUp(newest[k] + 1, length);
                delayA[oldest] = 0.0;
                delayB[oldest] = 0.0;
            }
        }
        return position;
    }

    int Taps() const { return FixedTaps > 0 ? FixedTaps : taps; }

private:
    double* delayA;
    double* delayB;
    int length;
    int factor;
    int step;
    int taps;
    SamplePair gain;
    alignas(16) double coefficients[2 * kMaxSparseTaps];
};

template <int FixedTaps>
void RunSparse(CStereoFir& fir, const double* inLeft, const double* inRight, double* outLeft,
               double* outRight, int frames, int factor, int taps)
{
    // Two frames at a time already hide the latency of the sums; four run out of registers
    // on 32-bit x86.
    constexpr int kBatch = 2;
    SparseLine<FixedTaps> line(fir, factor, taps);
    int position = fir.position;
    int i = 0;
    if (factor > 1 && taps >= kBatch) {
        for (; i + kBatch <= frames; i += kBatch)
            position = line.template Run<kBatch>(position, inLeft + i, inRight + i,
                                                 outLeft + i, outRight + i);
    }
    for (; i < frames; ++i)
        position = line.template Run<1>(position, inLeft + i, inRight + i, outLeft + i,
                                        outRight + i);
    fir.position = position;
}

// Any other factor: the sum over every tap, for lines that zero-stuffing does not fill
// in the sparse pattern.
void RunFull(CStereoFir& fir, const double* inLeft, const double* inRight, double* outLeft,
             double* outRight, int frames, int factor)
{
    const int n = fir.length;
    int position = fir.position;
    for (int i = 0; i < frames; ++i) {
        fir.delayA[position] = inLeft[i];
        fir.delayB[position] = inRight[i];
        SamplePair sum = Pair(0.0, 0.0);
        for (int k = 0; k < n; ++k) {
            const int tap = (position + n - k) % n;
            sum = sum + Pair(fir.coefficientsA[k], fir.coefficientsB[k]) *
                            LoadPair(fir.delayA + tap, fir.delayB + tap);
        }
        position = (position + 1) % n;
        StorePair(Pair(fir.gain, fir.gain) * sum + Pair(0.0, 0.0), outLeft + i, outRight + i);
        for (int z = 1; z < factor; ++z) {
            fir.delayA[position] = 0.0;
            fir.delayB[position] = 0.0;
            position = (position + 1) % n;
        }
    }
    fir.position = position;
}

// The lines the design makes (CStereoFir::HasDesignedForm). Between blocks such a line
// holds its last 16 inputs at distances f, 2f, ..., 16f behind the write position and zeros
// everywhere else. While the filter runs in that form it keeps those 16 inputs
// of each channel contiguous, oldest first (CStereoFir::recent), and zeros in their slots
// of the line, so a block only copies them in front of its first inputs, lets the kernel
// run straight over the contiguous samples and copies the last 16 back.

// The slot of the k-th oldest of the 16 inputs: the oldest sits 16 f behind the write
// position, which is one entry ahead of it, and the others follow f apart. The line has
// 16 f + 1 entries, so an index wraps at most once.
inline int HistorySlot(int position, int k, int factor, int length)
{
    const int slot = position + 1 + k * factor;
    return slot >= length ? slot - length : slot;
}

class DesignedLine {
public:
    DesignedLine(CStereoFir& fir, int factor) : fir(fir)
    {
        if (fir.recentFactor != factor)
            fir.SettleHistory(factor);
    }

    void Run(const double* input, double* output, int channel, int frames)
    {
        const double* taps = fir.sparseTaps[channel];
        double* recent = fir.recent[channel];
        // The history, then the block's first inputs.
        double staged[2 * kSparseHistory];
        const int head = frames < kSparseHistory ? frames : kSparseHistory;
        std::memcpy(staged, recent, sizeof(double) * kSparseHistory);
        std::memcpy(staged + kSparseHistory, input, sizeof(double) * head);
        fir.kernels.filter(staged + kSparseHistory, output, head, taps, fir.gain);
        if (frames > head)
            fir.kernels.filter(input + head, output + head, frames - head, taps, fir.gain);
        const double* newest =
            frames >= kSparseHistory ? input + frames - kSparseHistory : staged + frames;
        std::memmove(recent, newest, sizeof(double) * kSparseHistory);
    }

private:
    CStereoFir& fir;
};

}  // namespace

void CStereoFir::SettleHistory(int factor)
{
    if (recentFactor == factor)
        return;
    if (recentFactor != 0) {
        for (int k = 0; k < kSparseHistory; ++k) {
            const int slot = HistorySlot(position, k, recentFactor, length);
            delayA[slot] = recent[0][k];
            delayB[slot] = recent[1][k];
        }
        recentFactor = 0;
    }
    if (factor == 0 || !HasDesignedForm(factor))
        return;
    for (int k = 0; k < kSparseHistory; ++k) {
        const int slot = HistorySlot(position, k, factor, length);
        recent[0][k] = delayA[slot];
        recent[1][k] = delayB[slot];
        delayA[slot] = 0.0;
        delayB[slot] = 0.0;
    }
    recentFactor = factor;
    TakeSparseTaps();
}

double CStereoFir::DelayEntry(int channel, int t) const
{
    const double* line = channel == 0 ? delayA : delayB;
    if (recentFactor != 0) {
        for (int k = 0; k < kSparseHistory; ++k)
            if (HistorySlot(position, k, recentFactor, length) == t)
                return recent[channel][k];
    }
    return line[t];
}

void CStereoFir::Run(const double* inLeft, const double* inRight, double* outLeft,
                     double* outRight, int frames, int factor)
{
    if (frames <= 0 || length <= 0)
        return;
    if (HasDesignedForm(factor)) {
        DesignedLine line(*this, factor);
        line.Run(inLeft, outLeft, 0, frames);
        line.Run(inRight, outRight, 1, frames);
        AdvanceDesignedPosition(frames);
        return;
    }
    SettleHistory(0);
    const int taps = SparseTapCount(length, factor);
    if (taps > 0)
        RunSparse<0>(*this, inLeft, inRight, outLeft, outRight, frames, factor, taps);
    else
        RunFull(*this, inLeft, inRight, outLeft, outRight, frames, factor);
}
