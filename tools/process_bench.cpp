// Cost of the filter's audio path per stereo frame at each oversampling factor: the plain
// sum over every tap of the prototype beside the shipped processing of a filter machine
// (blocks of 512 frames). Each figure is the fastest of several short trials.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "effect/FilterDesign.h"
#include "effect/StereoFir.h"
#include "effect/VelvetineFilter.h"
#include "framework/AudioBuffer.h"
#include "framework/Port.h"
#include "tests/effect/ReferenceFir.h"
#include "tests/framework/FakeHost.h"

namespace {

constexpr int kBlock = 512;
constexpr int kTrials = 30;
constexpr int kBlocksPerTrial = 8;

using Clock = std::chrono::steady_clock;

// Runs `block` in short trials and keeps the fastest: the machine is shared, and other
// work only ever makes a trial slower. Returns nanoseconds per frame.
template <typename Block>
double NanosecondsPerFrame(Block block)
{
    block();  // warm the caches
    double best = 1e300;
    for (int trial = 0; trial < kTrials; ++trial) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kBlocksPerTrial; ++i)
            block();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
    }
    return best * 1e9 / (kBlocksPerTrial * kBlock);
}

std::vector<double> Noise(uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    std::vector<double> noise(kBlock);
    for (double& x : noise)
        x = sample(random);
    return noise;
}

}  // namespace

int main()
{
    const std::vector<double> left = Noise(1), right = Noise(2);
    std::vector<double> outLeft(kBlock), outRight(kBlock);
    double checksum = 0.0;  // keeps the work observable

    FakeHost host;
    host.blockSize = kBlock;
    CVelvetineFilter machine(&host, nullptr);
    CAudioBuffer& in = *machine.ports[0]->audio;
    const CAudioBuffer& out = *machine.ports[1]->audio;
    std::copy(left.begin(), left.end(), in.channel[0]);
    std::copy(right.begin(), right.end(), in.channel[1]);

    std::printf("%-6s %18s %14s %10s\n", "factor", "plain ns/frame", "shipped ns/frame",
                "speed-up");
    double shipped2x = 0.0, shipped32x = 0.0, plain32x = 0.0;
    for (int index = 0; index < kPrototypeCount; ++index) {
        const int factor = PrototypeFactor(index);
        ReferenceFir plain = ReferenceFir::CopyOf(*machine.Prototype(index));
        const double plainCost = NanosecondsPerFrame([&] {
            plain.Run(left.data(), right.data(), outLeft.data(), outRight.data(), kBlock, factor);
            checksum += outLeft[kBlock - 1] + outRight[kBlock - 1];
        });

        machine.SetControl(0, index * 0.25);
        const double shippedCost = NanosecondsPerFrame([&] {
            machine.Process();
            checksum += out.channel[0][kBlock - 1] + out.channel[1][kBlock - 1];
        });

        std::printf("%4dx %18.1f %16.2f %10.0f\n", factor, plainCost, shippedCost,
                    plainCost / shippedCost);
        if (index == 0)
            shipped2x = shippedCost;
        if (index == kPrototypeCount - 1) {
            shipped32x = shippedCost;
            plain32x = plainCost;
        }
    }
    std::printf("shipped 32x / 2x: %.2f (goal <= 1.3)\n", shipped32x / shipped2x);
    std::printf("plain / shipped at 32x: %.0f (goal >= 50)\n", plain32x / shipped32x);
    std::printf("checksum %g\n", checksum);
    return 0;
}
