#pragma once

// One channel of the filter as the processing actually applies it: 17 taps at the host
// rate. For every frame i in [0, frames):
//
//     output[i] = gain * (taps[0] * input[i] + taps[1] * input[i - 1] + ...
//                         + taps[16] * input[i - 16]) + 0.0
//
// with the products added strictly left to right and nothing fused, so every kernel gives
// the same bits. input[-16 .. -1] must be readable (the history before the first frame);
// output must not overlap input.

constexpr int kSparseTaps = 17;
constexpr int kSparseHistory = kSparseTaps - 1;

using SparseFirKernel = void (*)(const double* input, double* output, int frames,
                                 const double* taps, double gain);
// One block of the designed form for both channels, from the host's samples to the host's:
// for each channel the 16 inputs before the block go in front of the line (unless the lead
// holds them already), the host's inputs, when given, are copied or widened behind them,
// the sums go to the output, 32-bit ones narrowed as framework/SampleNarrowing.h does, and
// the block's newest 16 inputs end up both in the lead and in `recent`, oldest first.
template <class Sample>
struct SparseFirBlock {
    const Sample* input[2];  // null: the line holds the block's inputs already
    double* line[2];         // kSparseHistory writable samples in front, room for the block
    Sample* output[2];       // may be the host's inputs: both are taken before any output
    double* recent[2];
    const double* taps[2];
    double gain;
    int frames;              // at least 1
    bool leadHoldsHistory;
};

using SparseFirBlockRun = void (*)(const SparseFirBlock<double>& block);
using NarrowingSparseFirBlockRun = void (*)(const SparseFirBlock<float>& block);

// Everything one instruction set provides to the processing.
struct SparseFirKernels {
    SparseFirKernel filter;
    SparseFirBlockRun block;
    NarrowingSparseFirBlockRun narrowingBlock;
};

// The kernels every processor of the build runs (SSE2 where the build targets it).
SparseFirKernels BaselineSparseFirKernels();
// The kernels for processors with AVX2; all null in builds for other processors. Callers
// check the processor before choosing them.
SparseFirKernels Avx2SparseFirKernels();

inline SparseFirKernel BaselineSparseFirKernel() { return BaselineSparseFirKernels().filter; }
inline SparseFirKernel Avx2SparseFirKernel() { return Avx2SparseFirKernels().filter; }
