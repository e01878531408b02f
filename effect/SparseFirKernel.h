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
// The same sums written as 32-bit samples, narrowed as framework/SampleNarrowing.h does, so
// that a host's 32-bit outputs need no pass of their own.
using NarrowingSparseFirKernel = void (*)(const double* input, float* output, int frames,
                                          const double* taps, double gain);

// Puts the 16 samples from `newest` into both `recent` and `lead`, all read before any is
// written (they may start inside `lead`). Blocks end with it, so its stores are as wide as
// the processor allows.
using HistoryCopy = void (*)(const double* newest, double* recent, double* lead);

// Everything one instruction set provides to the processing.
struct SparseFirKernels {
    SparseFirKernel filter;
    NarrowingSparseFirKernel narrowingFilter;
    HistoryCopy keepHistory;
};

// The kernels every processor of the build runs (SSE2 where the build targets it).
SparseFirKernels BaselineSparseFirKernels();
// The kernels for processors with AVX2; all null in builds for other processors. Callers
// check the processor before choosing them.
SparseFirKernels Avx2SparseFirKernels();

inline SparseFirKernel BaselineSparseFirKernel() { return BaselineSparseFirKernels().filter; }
inline SparseFirKernel Avx2SparseFirKernel() { return Avx2SparseFirKernels().filter; }
