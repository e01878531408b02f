// The shared loop over vector shapes this machine may never run: the 32-bit build's six
// groups of two frames, and spans shorter or longer than the history, against the baseline
// kernels, in both precisions, apart and in place.

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "effect/SparseFirKernel.h"
#include "effect/SparseFirLoop.h"
#include "framework/SampleNarrowing.h"

namespace {

// W frames of one channel in a plain array; every operation rounds on its own.
template <int W>
struct ArrayLanes {
    struct Reg {
        double v[W];
    };
    static constexpr int kWidth = W;
    template <class Sample>
    static Reg Load(const Sample* p)
    {
        Reg r;
        for (int k = 0; k < W; ++k)
            r.v[k] = static_cast<double>(p[k]);
        return r;
    }
    static void Store(double* p, Reg r) { std::memcpy(p, r.v, sizeof r.v); }
    static void Store(float* p, Reg r)
    {
        for (int k = 0; k < W; ++k)
            p[k] = sample_narrowing::Narrow(r.v[k]);
    }
    static void StoreRounded(float* p, Reg r)
    {
        for (int k = 0; k < W; ++k)
            p[k] = static_cast<float>(r.v[k]);
    }
    static bool AnyBeyondFloatRange(const Reg* r, int count)
    {
        for (int g = 0; g < count; ++g)
            for (double x : r[g].v)
                if (std::fabs(x) > std::numeric_limits<float>::max())
                    return true;
        return false;
    }
    static Reg Broadcast(const double* p)
    {
        Reg r;
        for (double& x : r.v)
            x = *p;
        return r;
    }
    static Reg Zero() { return Broadcast(&kZero); }
    static Reg Add(Reg a, Reg b)
    {
        for (int k = 0; k < W; ++k)
            a.v[k] += b.v[k];
        return a;
    }
    static Reg Mul(Reg a, Reg b)
    {
        for (int k = 0; k < W; ++k)
            a.v[k] *= b.v[k];
        return a;
    }
    static Reg Splice(Reg older, Reg newer, int k)
    {
        Reg r;
        for (int i = 0; i < W; ++i)
            r.v[i] = i < k ? older.v[W - k + i] : newer.v[i - k];
        return r;
    }
    static constexpr double kZero = 0.0;
};

// One kernel's state across blocks: the lines with their lead, and the kept history.
struct BlockState {
    std::vector<double> store[2] = {std::vector<double>(kSparseHistory + 400, 0.0),
                                    std::vector<double>(kSparseHistory + 400, 0.0)};
    double* line[2] = {store[0].data() + kSparseHistory, store[1].data() + kSparseHistory};
    double recent[2][kSparseHistory] = {};
};

template <class Sample>
void RunBoth(const SparseFirKernels& expected, const SparseFirKernels& actual,
             BlockState& expectedState, BlockState& actualState,
             const std::vector<Sample> (&in)[2], bool inPlace, int frames,
             const double (*taps)[kSparseTaps], bool leadHoldsHistory,
             std::vector<Sample> (&expectedOut)[2], std::vector<Sample> (&actualOut)[2])
{
    for (int c = 0; c < 2; ++c) {
        expectedOut[c] = inPlace ? in[c] : std::vector<Sample>(frames, Sample(7));
        actualOut[c] = expectedOut[c];
    }
    const Sample* const eIn[2] = {inPlace ? expectedOut[0].data() : in[0].data(),
                                  inPlace ? expectedOut[1].data() : in[1].data()};
    const Sample* const aIn[2] = {inPlace ? actualOut[0].data() : in[0].data(),
                                  inPlace ? actualOut[1].data() : in[1].data()};
    Sample* const eOut[2] = {expectedOut[0].data(), expectedOut[1].data()};
    Sample* const aOut[2] = {actualOut[0].data(), actualOut[1].data()};
    if constexpr (sizeof(Sample) == sizeof(double)) {
        expected.block(eIn, expectedState.line, eOut, frames, expectedState.recent, taps, 1.07,
                       leadHoldsHistory);
        actual.block(aIn, actualState.line, aOut, frames, actualState.recent, taps, 1.07,
                     leadHoldsHistory);
    } else {
        expected.narrowingBlock(eIn, expectedState.line, eOut, frames, expectedState.recent,
                                taps, 1.07, leadHoldsHistory);
        actual.narrowingBlock(aIn, actualState.line, aOut, frames, actualState.recent, taps,
                              1.07, leadHoldsHistory);
    }
}

struct Shape {
    const char* name;
    SparseFirKernels kernels;
};

TEST(SparseFirLoop, EveryShapeOfLanesGivesTheBaselineBits)
{
    const Shape shapes[] = {
        {"2 x 6 (the 32-bit build)", sparse_fir::KernelsFor<ArrayLanes<2>, 6>()},
        {"4 x 3", sparse_fir::KernelsFor<ArrayLanes<4>, 3>()},
        {"4 x 5", sparse_fir::KernelsFor<ArrayLanes<4>, 5>()},
        {"1 x 4", sparse_fir::KernelsFor<ArrayLanes<1>, 4>()},
    };
    const double taps[2][kSparseTaps] = {
        {0.03, 0.19, 0.54, 0.86, 0.70, 0.12, -0.2, -0.15, 0.01, 0.09, 0.04, -0.03, -0.04, 0.0,
         0.02, 0.01, -0.005},
        {-0.01, 0.07, 0.33, 0.91, 0.62, 0.05, -0.25, -0.1, 0.03, 0.08, 0.02, -0.05, -0.02,
         0.01, 0.0, 0.004, -0.002}};
    const SparseFirKernels baseline = BaselineSparseFirKernels();
    for (const Shape& shape : shapes) {
        BlockState expectedState, actualState;
        std::mt19937 random(4409);
        std::uniform_real_distribution<double> sample(-1.0, 1.0);
        for (int block = 0; block < 120; ++block) {
            const int frames = std::uniform_int_distribution<int>(1, 100)(random);
            const bool single = block % 2 == 1, inPlace = block % 3 == 2;
            const bool leadHoldsHistory = block % 7 != 0;
            std::vector<double> in[2], expectedOut[2], actualOut[2];
            std::vector<float> inF[2], expectedOutF[2], actualOutF[2];
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < frames; ++i) {
                    // Now and then samples whose sums leave the float range, or an infinity.
                    const double x = block % 5 == 3 && i % 9 == 4 ? -3.3e38
                                     : block % 11 == 6 && i == 2 ? INFINITY
                                                                 : sample(random);
                    in[c].push_back(static_cast<float>(x));
                    inF[c].push_back(static_cast<float>(x));
                }
            if (single)
                RunBoth(baseline, shape.kernels, expectedState, actualState, inF, inPlace,
                        frames, taps, leadHoldsHistory, expectedOutF, actualOutF);
            else
                RunBoth(baseline, shape.kernels, expectedState, actualState, in, inPlace, frames,
                        taps, leadHoldsHistory, expectedOut, actualOut);
            const auto where = [&] {
                return ::testing::Message()
                       << shape.name << ", block " << block << " (" << frames << " frames, "
                       << (single ? "32" : "64") << "-bit, " << (inPlace ? "in place" : "apart")
                       << ", seed 4409)";
            };
            for (int c = 0; c < 2; ++c) {
                const bool same =
                    single ? std::memcmp(expectedOutF[c].data(), actualOutF[c].data(),
                                         sizeof(float) * frames) == 0
                           : std::memcmp(expectedOut[c].data(), actualOut[c].data(),
                                         sizeof(double) * frames) == 0;
                ASSERT_TRUE(same) << "channel " << c << " outputs differ: " << where();
                ASSERT_EQ(std::memcmp(expectedState.recent[c], actualState.recent[c],
                                      sizeof expectedState.recent[c]),
                          0)
                    << "channel " << c << " history differs: " << where();
            }
        }
    }
}

}  // namespace
