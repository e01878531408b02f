// The AVX2 sample copies against the baseline ones, bit for bit.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/SampleCopy.h"

namespace {

bool Avx2Runs()
{
#if defined(__i386__) || defined(__x86_64__)
    return Avx2SampleCopies().widen && __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

TEST(SampleCopy, Avx2GivesTheBaselineBits)
{
    if (!Avx2Runs())
        GTEST_SKIP() << "no AVX2 here (processor or build)";
    const SampleCopies baseline = BaselineSampleCopies(), wide = Avx2SampleCopies();
    const double kFloatMax = std::numeric_limits<float>::max();
    const double special[] = {0.0, -0.0, NAN, -NAN, INFINITY, -INFINITY, kFloatMax, -kFloatMax,
                              kFloatMax * 1.0000001, -kFloatMax * 3.0, 1e-46, -1e-40, 0.1};
    std::mt19937 random(88);
    std::uniform_real_distribution<double> sample(-4.0, 4.0);
    for (int frames = 0; frames <= 19; ++frames) {
        std::vector<double> wideIn(frames);
        for (int i = 0; i < frames; ++i)
            wideIn[i] = i % 3 == 0 ? special[random() % 13] : sample(random);
        std::vector<float> a(frames + 1, 5.0f), b(frames + 1, 5.0f);
        baseline.narrow(wideIn.data(), a.data(), frames);
        wide.narrow(wideIn.data(), b.data(), frames);
        ASSERT_EQ(std::memcmp(a.data(), b.data(), sizeof(float) * (frames + 1)), 0)
            << "narrowing " << frames << " frames (seed 88)";

        std::vector<double> c(frames + 1, 5.0), d(frames + 1, 5.0);
        baseline.widen(a.data(), c.data(), frames);
        wide.widen(a.data(), d.data(), frames);
        ASSERT_EQ(std::memcmp(c.data(), d.data(), sizeof(double) * (frames + 1)), 0)
            << "widening " << frames << " frames (seed 88)";
    }
}

TEST(SampleCopy, CopyMovesEveryFrameBitForBitAndNothingBeyond)
{
    const double in[21] = {NAN, -0.0, INFINITY, 1e-310, -3.5, 0.1, 2.0, 3.0, 4.0, 5.0, 6.0,
                           7.0, 8.0, 9.0, -INFINITY, 11.0, 12.0, 13.0, 14.0, 15.0, 16.0};
    for (const SampleCopies& copies : {BaselineSampleCopies(), Avx2Runs() ? Avx2SampleCopies() : BaselineSampleCopies()}) {
        for (int frames = 0; frames <= 20; ++frames) {
            double out[21];
            std::fill(out, out + 21, 99.0);
            copies.copy(in, out, frames);
            ASSERT_EQ(std::memcmp(in, out, sizeof(double) * frames), 0) << frames << " frames";
            ASSERT_EQ(out[frames], 99.0) << "wrote past " << frames << " frames";
        }
    }
}

TEST(SampleCopy, NarrowingKeepsInfinityAndSaturatesFiniteOverflowInEveryLane)
{
    const double kFloatMax = std::numeric_limits<float>::max();
    const double in[8] = {INFINITY, kFloatMax * 2.0, -INFINITY, -kFloatMax * 2.0,
                          1e300, -INFINITY, INFINITY, 0.5};
    const float want[8] = {INFINITY, FLT_MAX, -INFINITY, -FLT_MAX, FLT_MAX, -INFINITY, INFINITY, 0.5f};
    for (const SampleCopies& copies : {BaselineSampleCopies(), Avx2Runs() ? Avx2SampleCopies() : BaselineSampleCopies()}) {
        float out[8];
        copies.narrow(in, out, 8);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(out[i], want[i]) << "lane " << i;
    }
}

}  // namespace
