#include "effect/FilterDesign.h"

#include "effect/Transforms.h"

#include <array>
#include <cmath>

void BlackmanWindow(int n, double* out) {
    for (int j = 0; j < n; ++j) {
        const double theta = (j * kDesignTwoPi) / (n - 1);
        out[j] = (0.42 - 0.5 * std::cos(theta)) + 0.08 * std::cos(2.0 * theta);
    }
}

void PrototypeSinc(int index, double* out) {
    const int n = PrototypeLength(index);
    const double reciprocal = 1.0 / (n - 1);
    for (int j = 0; j < n; ++j) {
        // j / (n - 1) and the scaling by 16 are exact, so x is exactly 0.0 at the centre.
        const double x = ((j * reciprocal) * 16.0) - 8.0;
        if (x == 0.0) {
            out[j] = 1.0;
        } else {
            const double y = x * kDesignPi;
            out[j] = std::sin(y) / y;
        }
    }
}

double PhaseZeroGain(const double* h, int length, int factor) {
    double sum = 0.0;
    for (int k = 0; k < length; k += factor) {
        sum += h[k];
    }
    return sum == 0.0 ? 1.0 : 1.0 / std::fabs(sum);
}

PrototypeDesign DesignPrototype(int index) {
    const int factor = PrototypeFactor(index);
    const int n = PrototypeLength(index);

    std::vector<double> sinc(n);
    std::vector<double> window(n);
    PrototypeSinc(index, sinc.data());
    BlackmanWindow(n, window.data());

    std::vector<double> windowed(n);
    for (int j = 0; j < n; ++j) {
        windowed[j] = sinc[j] * window[j];
    }

    // The real cepstrum and the minimum-phase reconstruction from it, at the prototype's
    // own length.
    PrototypeDesign design;
    design.coefficients.resize(n);
    MinimumPhaseOfSignal(n, windowed.data(), design.coefficients.data());
    design.gain = PhaseZeroGain(design.coefficients.data(), n, factor);
    return design;
}

namespace {

std::array<PrototypeDesign, kPrototypeCount> DesignBank() {
    std::array<PrototypeDesign, kPrototypeCount> bank;
    for (int index = 0; index < kPrototypeCount; ++index) {
        bank[index] = DesignPrototype(index);
    }
    return bank;
}

}  // namespace

const PrototypeDesign& DesignedPrototype(int index) {
    // The design depends on nothing but the index, so one bank serves every machine of
    // the process; the first machine pays for it.
    static const std::array<PrototypeDesign, kPrototypeCount> bank = DesignBank();
    return bank[index];
}
