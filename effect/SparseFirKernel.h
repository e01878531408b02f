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

// The kernel every processor of the build runs (SSE2 where the build targets it).
SparseFirKernel BaselineSparseFirKernel();
// The kernel for processors with AVX2; null in builds for other processors. Callers check
// the processor before choosing it.
SparseFirKernel Avx2SparseFirKernel();

// Puts the 16 samples from `newest` into both `recent` and `lead`, all read before any is
// written (they may start inside `lead`). Blocks end with it, so its stores are as wide as
// the processor allows.
using HistoryCopy = void (*)(const double* newest, double* recent, double* lead);

HistoryCopy BaselineHistoryCopy();
// Null in builds for other processors, as Avx2SparseFirKernel.
HistoryCopy Avx2HistoryCopy();
