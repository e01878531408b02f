// Prints the designed response of every factor, one line each: the factor, then the 17
// samples g * h[j * f] an impulse gives, to full double precision. The real-host tests
// compare renders with it.

#include <cstdio>

#include "effect/FilterDesign.h"

int main()
{
    for (int index = 0; index < kPrototypeCount; ++index) {
        const PrototypeDesign& design = DesignedPrototype(index);
        const int factor = PrototypeFactor(index);
        std::printf("%d", factor);
        for (int j = 0; j <= 16; ++j)
            std::printf(" %.17g", design.gain * design.coefficients[j * factor]);
        std::printf("\n");
    }
    return 0;
}
