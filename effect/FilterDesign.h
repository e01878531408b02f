#pragma once

#include <vector>

#include "effect/ControlDescription.h"

// The five minimum-phase interpolation prototypes, one per oversampling factor.
constexpr int kPrototypeCount = OversamplingControl::kStepCount;

inline int PrototypeFactor(int index) { return OversamplingControl::FactorOfStep(index); }
inline int PrototypeLength(int index) { return 16 * PrototypeFactor(index) + 1; }

// The design constants, the 14-decimal pi and 2 pi.
constexpr double kDesignPi = 3.14159265358979;
constexpr double kDesignTwoPi = 6.28318530717958;

// out[j] = 0.42 - 0.5 cos(2 pi j / (n - 1)) + 0.08 cos(4 pi j / (n - 1)).
void BlackmanWindow(int n, double* out);

// The unwindowed sinc of prototype `index`: PrototypeLength(index) values of sin(pi x) / (pi x)
// for x = -8 ... 8 in steps of 1 / factor, exactly 1.0 at the centre.
void PrototypeSinc(int index, double* out);

// 1 / |h[0] + h[f] + ... | over the taps below `length` that meet input samples, or 1.0
// when that sum is zero.
double PhaseZeroGain(const double* h, int length, int factor);

struct PrototypeDesign {
    std::vector<double> coefficients;  // the minimum-phase prototype h, 16 f + 1 taps
    double gain;                       // 1 / |h[0] + h[f] + ... + h[16 f]|, or 1.0 for a zero sum
};

// Designs prototype `index` (0...4) from scratch.
PrototypeDesign DesignPrototype(int index);

// The same design, computed once per process and shared by every machine: the result
// depends only on the index.
const PrototypeDesign& DesignedPrototype(int index);
