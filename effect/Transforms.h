#pragma once

// Discrete Fourier transforms of any length and the cepstral routines of the filter
// design. Lengths that are powers of two take an in-place radix-2 FFT, every other length
// a direct transform. Inputs and outputs are distinct arrays of n doubles.

// True when a transform of length n takes the radix-2 path.
bool UsesFftPath(int n);

// X[k] = sum_j x[j] e^(-i 2 pi j k / n), unscaled.
void ForwardTransform(int n, const double* inReal, const double* inImag, double* outReal,
                      double* outImag);
// Real part (and, as a convenience, imaginary part) of (1/n) sum_j X[j] e^(+i 2 pi j k / n).
void InverseTransform(int n, const double* inReal, const double* inImag, double* outReal,
                      double* outImag);

// cep = Re(inverse transform of ln|forward transform of x|).
void RealCepstrum(int n, const double* x, double* cep);
// h = Re(inverse transform of exp(forward transform of the folded cepstrum)).
void MinimumPhase(int n, const double* cep, double* h);

// MinimumPhase of the RealCepstrum of x, bit for bit, with the two steps sharing the
// direct path's angles: what a prototype design needs, in about half the time.
void MinimumPhaseOfSignal(int n, const double* x, double* h);
