// Prints the five designed prototypes as processing applies them: the 17 taps that meet
// input samples (h[0], h[f], ..., h[16 f]) and the gain that brings their sum to one.

#include "effect/FilterDesign.h"

#include <cstdio>

int main() {
    const int taps = 17;
    std::printf("Minimum-phase interpolation prototypes, taps that meet input samples\n\n");
    std::printf("%-6s", "");
    for (int index = 0; index < kPrototypeCount; ++index) {
        std::printf(" %12dx", PrototypeFactor(index));
    }
    std::printf("\n%-6s", "length");
    for (int index = 0; index < kPrototypeCount; ++index) {
        std::printf(" %13d", PrototypeLength(index));
    }
    std::printf("\n%-6s", "gain");
    for (int index = 0; index < kPrototypeCount; ++index) {
        std::printf(" %13.8f", DesignedPrototype(index).gain);
    }
    std::printf("\n\n");
    for (int tap = 0; tap < taps; ++tap) {
        std::printf("h[%2df]", tap);
        for (int index = 0; index < kPrototypeCount; ++index) {
            const PrototypeDesign& design = DesignedPrototype(index);
            std::printf(" %13.8f", design.coefficients[tap * PrototypeFactor(index)]);
        }
        std::printf("\n");
    }
    std::printf("\n%-6s", "sum");
    for (int index = 0; index < kPrototypeCount; ++index) {
        const PrototypeDesign& design = DesignedPrototype(index);
        double sum = 0.0;
        for (int tap = 0; tap < taps; ++tap) {
            sum += design.coefficients[tap * PrototypeFactor(index)];
        }
        std::printf(" %13.8f", sum);
    }
    std::printf("\n");
    return 0;
}
