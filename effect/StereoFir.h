#pragma once

#include <type_traits>

#include "effect/SparseFirKernel.h"

// A two-channel FIR filter of one prototype: circular delay lines for the left (A) and
// right (B) channel sharing one write position, a coefficient set per channel and a
// normalisation gain.
class CStereoFir {
public:
    CStereoFir(int length, const double* coefficientsA, const double* coefficientsB);
    ~CStereoFir();

    void SetCoefficients(const double* setA, const double* setB);
    // Silence in the delay lines and the recent inputs, as when the filter was made.
    void ClearHistory();

    // Runs the prototype as a zero-stuffing interpolator by `factor` over `frames` frames:
    // each input sample enters the delay lines followed by factor - 1 zeros and one output
    // sample, scaled by the gain, is produced per input sample. The outputs are the exact
    // sums over the whole prototype; only the taps that meet input samples are computed.
    void Run(const double* inLeft, const double* inRight, double* outLeft, double* outRight,
             int frames, int factor);

    // One block of the designed form (HasDesignedForm) over lines with kSparseHistory
    // writable samples in front of each channel, as SparseFirBlockRun describes: the host's
    // inputs, when given (non-null), are read in place or taken into the lines; the outputs
    // may be the host's, 32-bit ones narrowed. Afterwards the leads hold the last 16 inputs,
    // and the call answers true: a caller that passes the same lines next time, with nothing
    // else written to their leads, passes leadHoldsHistory and saves putting the history
    // back.
    template <class Sample>
    bool RunBlock(const Sample* const* input, double* const* line, Sample* const* output,
                  int frames, int factor, bool leadHoldsHistory);
    // The line is the design's: 17 taps, `factor` apart, factor 2 or more.
    bool HasDesignedForm(int factor) const
    {
        return factor >= 2 && length == (kSparseTaps - 1) * factor + 1;
    }

    double* delayA;
    double* delayB;
    int position;  // next write into both delay lines, 0 <= position < length
    int length;
    double* coefficientsA;
    double* coefficientsB;
    double gain;
    // Compute the lines the design makes (17 taps, factor 2 or more); the baseline's until
    // UseKernels chooses others.
    SparseFirKernels kernels;

    // While the lines run in the designed form (17 taps, factor recentFactor), the last 16
    // inputs of each channel, oldest first; the lines hold zeros in their slots meanwhile.
    // recentFactor 0: the lines hold the whole history.
    // Both arrays start on cache lines of their own: the kernels read them with vector loads
    // on every block, and a 32-bit heap's 8-byte alignment would let those loads straddle
    // lines, at a cost that changed with where each filter of the bank happened to fall.
    alignas(64) double recent[2][kSparseHistory];
    int recentFactor;
    // The 17 coefficients of each channel that the designed form with recentFactor uses,
    // taken when that form starts and again by SetCoefficients.
    alignas(64) double sparseTaps[2][kSparseTaps];
    // Entry t of a channel's line as the plain form would hold it, whichever form holds it.
    double DelayEntry(int channel, int t) const;
    // Moves the history into the form a run with `factor` uses (0: the lines).
    void SettleHistory(int factor);
    // Moves the write position on by `frames` frames of the designed form; the remainder
    // that adds is computed again only when the frame count changes.
    void AdvanceDesignedPosition(int frames)
    {
        if (frames != advanceFrames) {
            const int factor = (length - 1) / kSparseHistory;
            advance = frames % length * factor % length;
            advanceFrames = frames;
        }
        const int advanced = position + advance;
        position = advanced >= length ? advanced - length : advanced;
    }
    int advanceFrames;
    int advance;
    void TakeSparseTaps();

    // Null members keep the baseline's.
    void UseKernels(const SparseFirKernels& chosen);
    void UseKernel(SparseFirKernel chosen) { UseKernels({chosen, nullptr, nullptr}); }

    CStereoFir(const CStereoFir&) = delete;
    CStereoFir& operator=(const CStereoFir&) = delete;
};

template <class Sample>
inline bool CStereoFir::RunBlock(const Sample* const* input, double* const* line,
                                 Sample* const* output, int frames, int factor,
                                 bool leadHoldsHistory)
{
    // The lead can only hold the history of the form that is running.
    leadHoldsHistory = leadHoldsHistory && recentFactor == factor;
    if (frames <= 0)
        return leadHoldsHistory;
    if (recentFactor != factor)
        SettleHistory(factor);
    if constexpr (std::is_same_v<Sample, float>)
        kernels.narrowingBlock(input, line, output, frames, recent, sparseTaps, gain,
                               leadHoldsHistory);
    else
        kernels.block(input, line, output, frames, recent, sparseTaps, gain, leadHoldsHistory);
    AdvanceDesignedPosition(frames);
    return true;
}
