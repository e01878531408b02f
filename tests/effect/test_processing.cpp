#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "effect/FilterDesign.h"
#include "effect/SparseFirKernel.h"
#include "framework/SampleNarrowing.h"
#include "effect/StereoFir.h"
#include "effect/VelvetineFilter.h"
#include "framework/AudioBuffer.h"
#include "framework/Port.h"
#include "tests/effect/ReferenceFir.h"
#include "tests/framework/FakeHost.h"

namespace {

using Signal = std::vector<double>;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Outputs are compared bit for bit, the sign of zero included.
::testing::AssertionResult SameSamples(const Signal& expected, const Signal& actual)
{
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "lengths " << expected.size() << " and "
                                             << actual.size();
    for (size_t i = 0; i < expected.size(); ++i) {
        if (!SameBits(expected[i], actual[i]))
            return ::testing::AssertionFailure()
                   << "sample " << i << ": expected " << expected[i] << ", got " << actual[i]
                   << " (difference " << actual[i] - expected[i] << ")";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameLines(const ReferenceFir& expected, const CStereoFir& actual)
{
    if (expected.position != actual.position)
        return ::testing::AssertionFailure() << "position " << actual.position << ", expected "
                                             << expected.position;
    for (int t = 0; t < expected.length; ++t)
        if (!SameBits(expected.delayA[t], actual.DelayEntry(0, t)) ||
            !SameBits(expected.delayB[t], actual.DelayEntry(1, t)))
            return ::testing::AssertionFailure()
                   << "delay entry " << t << ": expected " << expected.delayA[t] << "/"
                   << expected.delayB[t] << ", got " << actual.DelayEntry(0, t) << "/"
                   << actual.DelayEntry(1, t);
    return ::testing::AssertionSuccess();
}

// Random audio with the awkward values mixed in: exact zeros of both signs, runs of
// silence, tiny and large samples.
class SignalSource {
public:
    explicit SignalSource(uint32_t seed) : random(seed) {}

    Signal Next(int frames)
    {
        Signal signal(static_cast<size_t>(frames));
        std::uniform_real_distribution<double> sample(-1.0, 1.0);
        std::uniform_int_distribution<int> pick(0, 19);
        for (double& x : signal) {
            switch (pick(random)) {
            case 0: x = 0.0; break;
            case 1: x = -0.0; break;
            case 2: x = sample(random) * 1e-300; break;
            case 3: x = sample(random) * 1e6; break;
            default: x = sample(random);
            }
        }
        if (frames > 8 && pick(random) < 4)  // a stretch of silence
            std::fill(signal.begin() + frames / 4, signal.begin() + frames / 2, 0.0);
        return signal;
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

private:
    std::mt19937 random;
};

std::unique_ptr<CStereoFir> DesignedFir(int index)
{
    const PrototypeDesign& design = DesignedPrototype(index);
    const double* h = design.coefficients.data();
    auto fir = std::make_unique<CStereoFir>(static_cast<int>(design.coefficients.size()), h, h);
    fir->gain = design.gain;
    return fir;
}

// The kernels this processor can run, by name.
std::vector<std::pair<const char*, SparseFirKernel>> RunnableKernels()
{
    std::vector<std::pair<const char*, SparseFirKernel>> kernels{
        {"baseline", BaselineSparseFirKernel()}};
#if defined(__i386__) || defined(__x86_64__)
    if (Avx2SparseFirKernel() && __builtin_cpu_supports("avx2"))
        kernels.emplace_back("avx2", Avx2SparseFirKernel());
#endif
    return kernels;
}

TEST(StereoFir, MatchesTheFullSumBitForBitAcrossFactorSwitches)
{
    for (const auto& [name, kernel] : RunnableKernels()) {
        std::vector<std::unique_ptr<CStereoFir>> shipped;
        std::vector<ReferenceFir> reference;
        for (int i = 0; i < kPrototypeCount; ++i) {
            shipped.push_back(DesignedFir(i));
            shipped.back()->UseKernel(kernel);
            reference.push_back(ReferenceFir::CopyOf(*shipped.back()));
        }
        SignalSource source(20240611);
        const int blockSizes[] = {1, 2, 3, 7, 15, 16, 17, 31, 32, 33, 64, 100, 129, 0, 5, 511, 4096};
        constexpr int kSizes = sizeof blockSizes / sizeof blockSizes[0];
        int usedPrototypes = 0;

        for (int block = 0; block < 240; ++block) {
            const int index = block < 2 * kPrototypeCount ? block / 2 : source.Between(0, 4);
            usedPrototypes |= 1 << index;
            const int frames = blockSizes[source.Between(0, kSizes - 1)];
            const Signal left = source.Next(frames), right = source.Next(frames);
            Signal expectedLeft(frames), expectedRight(frames), actualLeft(frames, 9.0),
                actualRight(frames, 9.0);
            const int factor = PrototypeFactor(index);

            reference[index].Run(left.data(), right.data(), expectedLeft.data(),
                                 expectedRight.data(), frames, factor);
            shipped[index]->Run(left.data(), right.data(), actualLeft.data(),
                                actualRight.data(), frames, factor);

            ASSERT_TRUE(SameSamples(expectedLeft, actualLeft))
                << name << " block " << block << " factor " << factor << " left";
            ASSERT_TRUE(SameSamples(expectedRight, actualRight)) << name << " block " << block;
            for (int i = 0; i < kPrototypeCount; ++i)
                ASSERT_TRUE(SameLines(reference[i], *shipped[i]))
                    << name << " prototype " << i << " after block " << block;
        }
        EXPECT_EQ(usedPrototypes, 0x1f);
        // Handing the history back to the lines leaves them as the full sum has them.
        for (int i = 0; i < kPrototypeCount; ++i) {
            shipped[i]->SettleHistory(0);
            for (int t = 0; t < shipped[i]->length; ++t)
                ASSERT_TRUE(SameBits(reference[i].delayA[t], shipped[i]->delayA[t]) &&
                            SameBits(reference[i].delayB[t], shipped[i]->delayB[t]))
                    << name << " prototype " << i << " entry " << t;
        }
    }
}

TEST(SparseFirKernel, Avx2GivesTheBaselineBitsForEveryFrameCount)
{
    const SparseFirKernel avx2 = Avx2SparseFirKernel();
#if defined(__i386__) || defined(__x86_64__)
    const bool runnable = avx2 && __builtin_cpu_supports("avx2");
#else
    const bool runnable = false;
#endif
    if (!runnable)
        GTEST_SKIP() << (avx2 ? "this processor has no AVX2" : "this build has no AVX2 kernel");
    // Inputs with infinities of both signs as well: their sums turn into NaN, and the NaN
    // must come out the same.
    std::mt19937 random(1311);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, 99);
    const double taps[kSparseTaps] = {0.03, 0.19, 0.54, 0.86, 0.70, 0.12, -0.2, -0.15, 0.01,
                                      0.09, 0.04, -0.03, -0.04, 0.0, 0.02, 0.01, -0.005};
    for (int frames = 0; frames <= 80; ++frames) {
        Signal input(kSparseHistory + frames);
        for (double& x : input) {
            const int kind = pick(random);
            x = kind == 0 ? INFINITY : kind == 1 ? -INFINITY : kind < 5 ? -0.0 : sample(random);
        }
        Signal expected(frames + 1, 7.0), actual(frames + 1, 7.0);
        BaselineSparseFirKernel()(input.data() + kSparseHistory, expected.data(), frames, taps, 1.07);
        avx2(input.data() + kSparseHistory, actual.data(), frames, taps, 1.07);
        ASSERT_TRUE(SameSamples(expected, actual)) << frames << " frames (seed 1311)";
        ASSERT_EQ(actual[frames], 7.0) << "wrote past " << frames << " frames";
    }
}

TEST(StereoFir, OtherLengthsAndFactorsAlsoMatchTheFullSum)
{
    // Lengths the design never makes: sparse lines with other tap counts (among them a
    // factor of 1, which pushes no zeros) and lines that zero-stuffing does not fill in a
    // regular pattern.
    struct Shape {
        int length, factor;
    };
    const Shape shapes[] = {{10, 3}, {17, 1}, {1, 4}, {20, 3}, {40, 7}, {97, 3}, {12, 16}};
    SignalSource source(7);
    for (const Shape& shape : shapes) {
        Signal a(shape.length), b(shape.length);
        for (int k = 0; k < shape.length; ++k) {
            a[k] = std::sin(0.37 * k + 0.1) / (1 + k);
            b[k] = std::cos(0.91 * k) / (2 + k);
        }
        CStereoFir shipped(shape.length, a.data(), b.data());
        shipped.gain = 0.875;
        ReferenceFir reference = ReferenceFir::CopyOf(shipped);
        for (int block = 0; block < 6; ++block) {
            const int frames = source.Between(0, 70);
            const Signal left = source.Next(frames), right = source.Next(frames);
            Signal expectedLeft(frames), expectedRight(frames), actualLeft(frames),
                actualRight(frames);
            reference.Run(left.data(), right.data(), expectedLeft.data(), expectedRight.data(),
                          frames, shape.factor);
            shipped.Run(left.data(), right.data(), actualLeft.data(), actualRight.data(), frames,
                        shape.factor);
            ASSERT_TRUE(SameSamples(expectedLeft, actualLeft))
                << "length " << shape.length << " factor " << shape.factor;
            ASSERT_TRUE(SameSamples(expectedRight, actualRight));
            ASSERT_TRUE(SameLines(reference, shipped))
                << "length " << shape.length << " factor " << shape.factor;
        }
    }
}

// A filter machine driven like the audio bridge drives it: the block length follows the
// frame count, the input port is filled, Process runs, the output port is read.
class Rig {
public:
    explicit Rig(double control = 0.0)
    {
        host.blockSize = 64;
        machine = std::make_unique<CVelvetineFilter>(&host, nullptr);
        machine->SetControl(0, control);
    }

    void Run(const Signal& left, const Signal& right, Signal& outLeft, Signal& outRight)
    {
        const int frames = static_cast<int>(left.size());
        if (frames != machine->BlockLength())
            machine->SetBlockLength(frames);
        CAudioBuffer& in = *machine->ports[0]->audio;
        CAudioBuffer& out = *machine->ports[1]->audio;
        std::copy(left.begin(), left.end(), in.channel[0]);
        std::copy(right.begin(), right.end(), in.channel[1]);
        machine->Process();
        outLeft.assign(out.channel[0], out.channel[0] + frames);
        outRight.assign(out.channel[1], out.channel[1] + frames);
    }

    // Runs a whole signal in blocks of the given sizes, repeated until it is used up.
    void RunInBlocks(const Signal& left, const Signal& right, const std::vector<int>& sizes,
                     Signal& outLeft, Signal& outRight)
    {
        outLeft.clear();
        outRight.clear();
        size_t at = 0;
        for (size_t b = 0; at < left.size(); ++b) {
            const size_t frames = std::min<size_t>(sizes[b % sizes.size()], left.size() - at);
            Signal l(left.begin() + at, left.begin() + at + frames);
            Signal r(right.begin() + at, right.begin() + at + frames);
            Signal ol, orr;
            Run(l, r, ol, orr);
            outLeft.insert(outLeft.end(), ol.begin(), ol.end());
            outRight.insert(outRight.end(), orr.begin(), orr.end());
            at += frames;
        }
    }

    FakeHost host;
    std::unique_ptr<CVelvetineFilter> machine;
};

double ControlFor(int index) { return index * 0.25; }

// The machine runs its prototypes through the input buffer's lead: the same bits as the
// full sum, for outputs and for every prototype's line, on every kernel.
TEST(FilterProcessing, MachineMatchesTheFullSumBitForBit)
{
    for (const auto& [name, kernel] : RunnableKernels()) {
        Rig rig;
        rig.machine->UseAvx2(std::string(name) == "avx2");
        std::vector<ReferenceFir> reference;
        for (int i = 0; i < kPrototypeCount; ++i)
            reference.push_back(ReferenceFir::CopyOf(*rig.machine->Prototype(i)));
        SignalSource source(977);
        for (int block = 0; block < 120; ++block) {
            const int index = source.Between(0, 4);
            const int frames = source.Between(0, 3) == 0 ? source.Between(0, 20)
                                                          : source.Between(1, 600);
            rig.machine->SetControl(0, 0.25 * index);
            const Signal left = source.Next(frames), right = source.Next(frames);
            Signal expectedLeft(frames), expectedRight(frames), outLeft, outRight;
            reference[index].Run(left.data(), right.data(), expectedLeft.data(),
                                 expectedRight.data(), frames, PrototypeFactor(index));
            rig.Run(left, right, outLeft, outRight);
            ASSERT_TRUE(SameSamples(expectedLeft, outLeft)) << name << " block " << block;
            ASSERT_TRUE(SameSamples(expectedRight, outRight)) << name << " block " << block;
            for (int i = 0; i < kPrototypeCount; ++i)
                ASSERT_TRUE(SameLines(reference[i], *rig.machine->Prototype(i)))
                    << name << " prototype " << i << " after block " << block;
        }
    }
}

// The host's arrays run straight through the machine, in either precision, apart from the
// inputs or the same arrays, give what the machine's own buffers give (32-bit ones narrowed
// by the one rule), on every kernel; precisions alternate, so the kept history crosses
// between them.
TEST(FilterProcessing, HostArraysGiveTheBuffersBits)
{
    for (const auto& [name, kernel] : RunnableKernels()) {
        const bool avx2 = std::string(name) == "avx2";
        for (const bool sameArrays : {false, true}) {
            Rig direct, own;
            direct.machine->UseAvx2(avx2);
            own.machine->UseAvx2(avx2);
            SignalSource source(31);
            for (int block = 0; block < 60; ++block) {
                const int index = source.Between(0, 4);
                const int frames = source.Between(0, 2) == 0 ? source.Between(1, 20)
                                                              : source.Between(1, 300);
                const bool single = block % 2 == 0;
                Signal left = source.Next(frames), right = source.Next(frames);
                std::vector<float> host[4];
                for (int i = 0; i < frames; ++i) {
                    // Near-full-scale steps, whose overshoot leaves the float range, and
                    // now and then an infinity.
                    if (block % 3 == 1 && i % 64 >= 5 && i % 64 < 30)
                        left[i] = -3.3e38;
                    if (block % 20 == 10 && i == 3)
                        right[i] = INFINITY;
                    host[0].push_back(static_cast<float>(left[i]));
                    host[1].push_back(static_cast<float>(right[i]));
                    if (single)
                        left[i] = host[0][i], right[i] = host[1][i];
                }
                host[2].assign(frames, 7.0f);
                host[3].assign(frames, 7.0f);
                Signal doubles[4] = {left, right, Signal(frames, 7.0), Signal(frames, 7.0)};
                Signal expectedLeft, expectedRight;
                own.machine->SetControl(0, ControlFor(index));
                own.Run(left, right, expectedLeft, expectedRight);

                direct.machine->SetControl(0, ControlFor(index));
                if (frames != direct.machine->BlockLength())
                    direct.machine->SetBlockLength(frames);
                const int target = sameArrays ? 0 : 2;
                const float* const floatsIn[2] = {host[0].data(), host[1].data()};
                float* const floatsOut[2] = {host[target].data(), host[target + 1].data()};
                const double* const doublesIn[2] = {doubles[0].data(), doubles[1].data()};
                double* const doublesOut[2] = {doubles[target].data(), doubles[target + 1].data()};
                ASSERT_TRUE(single ? direct.machine->ProcessArrays(floatsIn, floatsOut, frames)
                                   : direct.machine->ProcessArrays(doublesIn, doublesOut, frames));
                for (int i = 0; i < frames; ++i) {
                    const double got[2] = {single ? host[target][i] : doubles[target][i],
                                           single ? host[target + 1][i] : doubles[target + 1][i]};
                    const double want[2] = {
                        single ? sample_narrowing::Narrow(expectedLeft[i]) : expectedLeft[i],
                        single ? sample_narrowing::Narrow(expectedRight[i]) : expectedRight[i]};
                    ASSERT_TRUE(SameBits(got[0], want[0]) && SameBits(got[1], want[1]))
                        << name << (sameArrays ? ", same arrays" : ", apart") << ", block "
                        << block << " (" << frames << " frames, "
                        << (single ? "32" : "64") << "-bit), frame " << i << " (seed 31)";
                }
            }
        }
    }
}

TEST(FilterProcessing, ImpulseResponseIsEveryFthCoefficientTimesTheGain)
{
    for (int index = 0; index < kPrototypeCount; ++index) {
        const int factor = PrototypeFactor(index);
        Rig rig(ControlFor(index));
        Signal left(48, 0.0), right(48, 0.0), outLeft, outRight;
        left[0] = 1.0;
        rig.Run(left, right, outLeft, outRight);

        const CStereoFir& fir = *rig.machine->Prototype(index);
        const PrototypeDesign& design = DesignedPrototype(index);
        EXPECT_EQ(fir.gain, design.gain);
        for (int j = 0; j < 48; ++j) {
            const double expected = j <= 16 ? design.gain * design.coefficients[j * factor] : 0.0;
            ASSERT_EQ(outLeft[j], expected) << "factor " << factor << " frame " << j;
            ASSERT_EQ(outRight[j], 0.0) << "factor " << factor << " frame " << j;
        }
    }
}

TEST(FilterProcessing, ConstantInputComesOutUnchangedFromFrameSixteen)
{
    for (int index = 0; index < kPrototypeCount; ++index) {
        Rig rig(ControlFor(index));
        Signal left(300, 0.7), right(300, -0.3), outLeft, outRight;
        rig.Run(left, right, outLeft, outRight);
        for (int i = 16; i < 300; ++i) {
            ASSERT_NEAR(outLeft[i], 0.7, 1e-14) << "factor " << PrototypeFactor(index);
            ASSERT_NEAR(outRight[i], -0.3, 1e-14) << "factor " << PrototypeFactor(index);
        }
        EXPECT_GT(std::fabs(outLeft[0] - 0.7), 0.1) << "the response builds up first";
    }
}

TEST(FilterProcessing, ChannelsNeverMix)
{
    SignalSource source(99);
    const Signal a = source.Next(400), b = source.Next(400), silence(400, 0.0);
    for (int index = 0; index < kPrototypeCount; ++index) {
        Rig both(ControlFor(index)), leftOnly(ControlFor(index)), rightOnly(ControlFor(index)),
            swapped(ControlFor(index));
        Signal bothL, bothR, leftL, leftR, rightL, rightR, swappedL, swappedR;
        both.Run(a, b, bothL, bothR);
        leftOnly.Run(a, silence, leftL, leftR);
        rightOnly.Run(silence, b, rightL, rightR);
        swapped.Run(b, a, swappedL, swappedR);
        EXPECT_TRUE(SameSamples(leftL, bothL));
        EXPECT_TRUE(SameSamples(rightR, bothR));
        EXPECT_TRUE(SameSamples(silence, leftR));
        EXPECT_TRUE(SameSamples(silence, rightL));
        EXPECT_TRUE(SameSamples(bothL, swappedR));
        EXPECT_TRUE(SameSamples(bothR, swappedL));
    }
}

TEST(FilterProcessing, AnySplitIntoBlocksGivesTheSameOutput)
{
    SignalSource source(5);
    const Signal left = source.Next(1500), right = source.Next(1500);
    const std::vector<std::vector<int>> splits = {
        {1}, {3, 1, 511}, {64}, {17, 0, 250, 2}, {1500}, {999, 1}};
    for (int index = 0; index < kPrototypeCount; ++index) {
        Rig whole(ControlFor(index));
        Signal wholeL, wholeR;
        whole.Run(left, right, wholeL, wholeR);
        for (const std::vector<int>& sizes : splits) {
            Rig split(ControlFor(index));
            Signal splitL, splitR;
            split.RunInBlocks(left, right, sizes, splitL, splitR);
            EXPECT_TRUE(SameSamples(wholeL, splitL)) << "factor " << PrototypeFactor(index)
                                                     << " first block " << sizes[0];
            EXPECT_TRUE(SameSamples(wholeR, splitR));
        }
    }
}

TEST(FilterProcessing, EachPrototypeResumesItsOwnHistoryAfterASwitch)
{
    SignalSource source(11);
    const Signal first = source.Next(50), middle = source.Next(30), last = source.Next(40);
    Signal out, outRight, ignored;

    // 2x, then 4x, then 2x again.
    Rig switching(ControlFor(0));
    switching.Run(first, first, ignored, ignored);
    switching.machine->SetControl(0, ControlFor(1));
    Signal middleOut;
    switching.Run(middle, middle, middleOut, ignored);
    switching.machine->SetControl(0, ControlFor(0));
    switching.Run(last, last, out, outRight);

    // The 2x prototype sees only the 2x blocks, as if the 4x block never happened.
    Rig steady(ControlFor(0));
    steady.Run(first, first, ignored, ignored);
    Signal steadyOut;
    steady.Run(last, last, steadyOut, ignored);
    EXPECT_TRUE(SameSamples(steadyOut, out));

    // The first 16 frames after the switch back mix in the input from before the switch.
    Rig fresh(ControlFor(0));
    Signal freshOut;
    fresh.Run(last, last, freshOut, ignored);
    EXPECT_FALSE(SameSamples(freshOut, out));
    EXPECT_TRUE(SameSamples(Signal(freshOut.begin() + 16, freshOut.end()),
                            Signal(out.begin() + 16, out.end())));

    // The 4x prototype had never run, so it started from silence.
    Rig fourOnly(ControlFor(1));
    Signal fourOut;
    fourOnly.Run(middle, middle, fourOut, ignored);
    EXPECT_TRUE(SameSamples(fourOut, middleOut));
}

TEST(FilterProcessing, EmptyBlockChangesNothing)
{
    SignalSource source(3);
    const Signal left = source.Next(100), right = source.Next(100);
    Rig rig(ControlFor(2));
    Signal ignored, ignoredRight;
    rig.Run(left, right, ignored, ignoredRight);
    std::vector<ReferenceFir> before;
    for (int i = 0; i < kPrototypeCount; ++i)
        before.push_back(ReferenceFir::CopyOf(*rig.machine->Prototype(i)));

    rig.machine->SetBlockLength(0);
    rig.machine->Process();
    EXPECT_EQ(rig.machine->ports[1]->audio->length, 0);
    for (int i = 0; i < kPrototypeCount; ++i)
        EXPECT_TRUE(SameLines(before[i], *rig.machine->Prototype(i))) << "prototype " << i;

    rig.machine->SetBlockLength(-8);  // a broken frame count acts as an empty block
    EXPECT_EQ(rig.machine->BlockLength(), 0);
    rig.machine->Process();
    for (int i = 0; i < kPrototypeCount; ++i)
        EXPECT_TRUE(SameLines(before[i], *rig.machine->Prototype(i))) << "prototype " << i;
}

TEST(FilterProcessing, AnyControlValueRunsAPrototypeOfTheBank)
{
    struct Case {
        double value;
        int index;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {{0.0, 0},    {0.2499, 0},  {0.25, 1},     {0.999, 3},
                          {1.0, 4},    {1.0000001, 4}, {1.25, 4},   {7.0, 4},
                          {1e300, 4},  {inf, 4},     {-0.2, 0},     {-0.5, 0},
                          {-1e300, 0}, {-inf, 0},    {std::nan(""), 0}};
    for (const Case& c : cases) {
        Rig rig(c.value);
        Signal left(64, 0.5), right(64, 0.25), outLeft, outRight;
        rig.Run(left, right, outLeft, outRight);
        for (int i = 0; i < kPrototypeCount; ++i) {
            const bool advanced = rig.machine->Prototype(i)->position != 0;
            EXPECT_EQ(advanced, i == c.index) << "value " << c.value << " prototype " << i;
        }
        EXPECT_NEAR(outLeft[63], 0.5, 1e-14) << "value " << c.value;
    }
}

}  // namespace
