// Times the prototype design as machines meet it: the first machine of a process designs
// all five prototypes, every later one copies the shared results into its own filters.

#include "effect/FilterDesign.h"
#include "effect/StereoFir.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What a new machine does with the bank: one filter per prototype, owning its copies.
std::array<std::unique_ptr<CStereoFir>, kPrototypeCount> BuildBank() {
    std::array<std::unique_ptr<CStereoFir>, kPrototypeCount> bank;
    for (int index = 0; index < kPrototypeCount; ++index) {
        const PrototypeDesign& design = DesignedPrototype(index);
        const double* h = design.coefficients.data();
        bank[index] = std::make_unique<CStereoFir>(static_cast<int>(design.coefficients.size()), h, h);
        bank[index]->gain = design.gain;
    }
    return bank;
}

}  // namespace

int main() {
    const Clock::time_point firstStart = Clock::now();
    BuildBank();
    const double first = MillisecondsSince(firstStart);

    const int laterCount = 200;
    double laterTotal = 0.0;
    double laterWorst = 0.0;
    for (int run = 0; run < laterCount; ++run) {
        const Clock::time_point start = Clock::now();
        BuildBank();
        const double elapsed = MillisecondsSince(start);
        laterTotal += elapsed;
        laterWorst = std::max(laterWorst, elapsed);
    }

    std::printf("first machine (designs all five prototypes): %9.3f ms\n", first);
    std::printf("later machine (shared design, five copies):  %9.3f ms mean, %.3f ms worst of %d\n",
                laterTotal / laterCount, laterWorst, laterCount);

    // The uncached design again, best of a few rounds: the machine is shared, and the
    // quietest round is the one that shows the design's own cost.
    const int rounds = 5;
    std::array<double, kPrototypeCount> best;
    best.fill(1e300);
    for (int round = 0; round < rounds; ++round) {
        for (int index = 0; index < kPrototypeCount; ++index) {
            const Clock::time_point start = Clock::now();
            DesignPrototype(index);
            best[index] = std::min(best[index], MillisecondsSince(start));
        }
    }
    std::printf("uncached DesignPrototype, best of %d rounds:\n", rounds);
    double total = 0.0;
    for (int index = 0; index < kPrototypeCount; ++index) {
        total += best[index];
        std::printf("  %2dx (%3d taps): %9.3f ms\n", PrototypeFactor(index), PrototypeLength(index),
                    best[index]);
    }
    std::printf("  all five:        %9.3f ms\n", total);
    return 0;
}
