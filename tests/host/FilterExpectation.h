#pragma once

// What the effect should output, from the filter design itself: at factor f the output is
// g * (h[0] x[m] + h[f] x[m-1] + ... + h[16 f] x[m-16]), summed in that order.

#include <vector>

#include "effect/FilterDesign.h"

// The parameter value that selects prototype `index` (2x ... 32x).
inline float ParameterForPrototype(int index)
{
    return 0.25f * static_cast<float>(index);
}

inline std::vector<double> ExpectedFilterOutput(const std::vector<double>& input, int prototype)
{
    const PrototypeDesign& design = DesignedPrototype(prototype);
    const int factor = PrototypeFactor(prototype);
    std::vector<double> output(input.size());
    for (size_t m = 0; m < input.size(); ++m) {
        double sum = 0.0;
        for (size_t j = 0; j <= 16 && j <= m; ++j)
            sum += design.coefficients[j * factor] * input[m - j];
        output[m] = design.gain * sum;
    }
    return output;
}

inline std::vector<double> Widened(const std::vector<float>& samples)
{
    return std::vector<double>(samples.begin(), samples.end());
}
