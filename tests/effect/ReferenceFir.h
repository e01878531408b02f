#pragma once

// The plain form of a prototype's processing, kept apart from the shipped code as the
// yardstick for it: every input enters the line followed by factor - 1 zeros, and each
// output is the sum over every tap of the line, with an integer remainder per tap.

#include <vector>

#include "effect/StereoFir.h"

struct ReferenceFir {
    std::vector<double> delayA, delayB, coefficientsA, coefficientsB;
    int position = 0;
    int length = 0;
    double gain = 1.0;

    // A copy of the filter's whole state, so that both can run side by side.
    static ReferenceFir CopyOf(const CStereoFir& fir)
    {
        ReferenceFir copy;
        copy.length = fir.length;
        copy.position = fir.position;
        copy.gain = fir.gain;
        for (int t = 0; t < fir.length; ++t) {
            copy.delayA.push_back(fir.DelayEntry(0, t));
            copy.delayB.push_back(fir.DelayEntry(1, t));
        }
        copy.coefficientsA.assign(fir.coefficientsA, fir.coefficientsA + fir.length);
        copy.coefficientsB.assign(fir.coefficientsB, fir.coefficientsB + fir.length);
        return copy;
    }

    void Run(const double* inLeft, const double* inRight, double* outLeft, double* outRight,
             int frames, int factor)
    {
        const int n = length;
        for (int i = 0; i < frames; ++i) {
            outLeft[i] = 0.0;
            outRight[i] = 0.0;
            delayA[position] = inLeft[i];
            delayB[position] = inRight[i];
            double accA = 0.0, accB = 0.0;
            for (int k = 0; k < n; ++k) {
                const int t = (position + n - k) % n;
                accA += coefficientsA[k] * delayA[t];
                accB += coefficientsB[k] * delayB[t];
            }
            position = (position + 1) % n;
            outLeft[i] = gain * accA + outLeft[i];
            outRight[i] = gain * accB + outRight[i];
            for (int z = 1; z < factor; ++z) {
                delayA[position] = 0.0;
                delayB[position] = 0.0;
                position = (position + 1) % n;
            }
        }
    }
};
