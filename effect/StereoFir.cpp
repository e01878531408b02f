#include "effect/StereoFir.h"

#include <algorithm>
#include <iterator>

CStereoFir::CStereoFir(int taps, const double* setA, const double* setB)
    : delayA(new double[taps]),
      delayB(new double[taps]),
      position(0),
      length(taps),
      coefficientsA(nullptr),
      coefficientsB(nullptr),
      gain(1.0),
      kernels(BaselineSparseFirKernels()),
      recent{},
      recentFactor(0),
      sparseTaps{},
      advanceFrames(-1),
      advance(0) {
    SetCoefficients(setA, setB);
    std::fill(delayA, delayA + length, 0.0);
    std::fill(delayB, delayB + length, 0.0);
}

CStereoFir::~CStereoFir() {
    delete[] delayA;
    delete[] delayB;
    delete[] coefficientsA;
    delete[] coefficientsB;
}

void CStereoFir::SetCoefficients(const double* setA, const double* setB) {
    delete[] coefficientsA;
    delete[] coefficientsB;
    coefficientsA = new double[length];
    coefficientsB = new double[length];
    std::copy(setA, setA + length, coefficientsA);
    std::copy(setB, setB + length, coefficientsB);
    TakeSparseTaps();
}

void CStereoFir::ClearHistory()
{
    std::fill(delayA, delayA + length, 0.0);
    std::fill(delayB, delayB + length, 0.0);
    for (auto& channel : recent)
        std::fill(std::begin(channel), std::end(channel), 0.0);
    position = 0;
}

void CStereoFir::UseKernels(const SparseFirKernels& chosen)
{
    const SparseFirKernels baseline = BaselineSparseFirKernels();
    kernels.filter = chosen.filter ? chosen.filter : baseline.filter;
    kernels.block = chosen.block ? chosen.block : baseline.block;
    kernels.narrowingBlock =
        chosen.narrowingBlock ? chosen.narrowingBlock : baseline.narrowingBlock;
}

void CStereoFir::TakeSparseTaps()
{
    if (recentFactor == 0)
        return;
    for (int j = 0; j < kSparseTaps; ++j) {
        sparseTaps[0][j] = coefficientsA[j * recentFactor];
        sparseTaps[1][j] = coefficientsB[j * recentFactor];
    }
}
