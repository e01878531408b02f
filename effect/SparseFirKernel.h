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
// holds them already), the host's inputs, when given, are copied or widened behind them
// (64-bit ones that no output overlaps, or that are each channel's own output, are read
// where they are instead), the sums go to the output, 32-bit ones narrowed as
// framework/SampleNarrowing.h does, and the block's newest 16 inputs end up both in the
// lead and in `recent`, oldest first.
//   input    per channel; null: the line holds the block's inputs already
//   line     per channel, kSparseHistory writable samples in front, room for the block
//   output   per channel; may be the host's inputs: both are taken before any output
//   frames   at least 1
// Everything arrives as arguments or in memory written long before, so that the kernel
// does not wait for stores made just before the call.
template <class Sample>
using SparseFirBlockRun = void (*)(const Sample* const* input, double* const* line,
                                   Sample* const* output, int frames,
                                   double (*recent)[kSparseHistory],
                                   const double (*taps)[kSparseTaps], double gain,
                                   bool leadHoldsHistory);

// Everything one instruction set provides to the processing.
struct SparseFirKernels {
    SparseFirKernel filter;
    SparseFirBlockRun<double> block;
    SparseFirBlockRun<float> narrowingBlock;
};

// The kernels every processor of the build runs (SSE2 where the build targets it).
SparseFirKernels BaselineSparseFirKernels();
// The kernels for processors with AVX2; all null in builds for other processors. Callers
// check the processor before choosing them.
SparseFirKernels Avx2SparseFirKernels();

inline SparseFirKernel BaselineSparseFirKernel() { return BaselineSparseFirKernels().filter; }
inline SparseFirKernel Avx2SparseFirKernel() { return Avx2SparseFirKernels().filter; }
