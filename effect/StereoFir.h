#pragma once

#include "effect/SparseFirKernel.h"

// A two-channel FIR filter of one prototype: circular delay lines for the left (A) and
// right (B) channel sharing one write position, a coefficient set per channel and a
// normalisation gain.
class CStereoFir {
public:
    CStereoFir(int length, const double* coefficientsA, const double* coefficientsB);
    ~CStereoFir();

    void SetCoefficients(const double* setA, const double* setB);

    // Runs the prototype as a zero-stuffing interpolator by `factor` over `frames` frames:
    // each input sample enters the delay lines followed by factor - 1 zeros and one output
    // sample, scaled by the gain, is produced per input sample. The outputs are the exact
    // sums over the whole prototype; only the taps that meet input samples are computed.
    void Run(const double* inLeft, const double* inRight, double* outLeft, double* outRight,
             int frames, int factor);

    // The same, for inputs with kSparseHistory writable samples in front of each: the filter
    // keeps inLeft[-16 .. -1] and inRight[-16 .. -1] for its history and runs the block in
    // one pass. When the designed form runs, those leads hold the last 16 inputs afterwards
    // and the call answers true; a caller that passes the same buffers to the next call,
    // with nothing else written to their leads, passes leadHoldsHistory true and saves
    // putting the history back.
    bool RunWithLead(double* inLeft, double* inRight, double* outLeft, double* outRight,
                     int frames, int factor, bool leadHoldsHistory = false);
    // The same with 32-bit outputs, narrowed as framework/SampleNarrowing.h does; only for
    // factors the line has the designed form for (HasDesignedForm).
    bool RunWithLead(double* inLeft, double* inRight, float* outLeft, float* outRight,
                     int frames, int factor, bool leadHoldsHistory = false);
    // The line is the design's: 17 taps, `factor` apart, factor 2 or more.
    bool HasDesignedForm(int factor) const;

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
    double recent[2][kSparseHistory];
    int recentFactor;
    // The 17 coefficients of each channel that the designed form with recentFactor uses,
    // taken when that form starts and again by SetCoefficients.
    double sparseTaps[2][kSparseTaps];
    // Entry t of a channel's line as the plain form would hold it, whichever form holds it.
    double DelayEntry(int channel, int t) const;
    // Moves the history into the form a run with `factor` uses (0: the lines).
    void SettleHistory(int factor);
    // What `frames` more frames in the designed form add to the write position, modulo
    // the length; computed again only when the frame count changes.
    int AdvanceFor(int frames);
    int advanceFrames;
    int advance;
    void TakeSparseTaps();

    // Null members keep the baseline's.
    void UseKernels(const SparseFirKernels& chosen);
    void UseKernel(SparseFirKernel chosen) { UseKernels({chosen, nullptr, nullptr}); }

    CStereoFir(const CStereoFir&) = delete;
    CStereoFir& operator=(const CStereoFir&) = delete;
};
