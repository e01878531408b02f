// Hostile sample values through the effect record. A NaN or infinity in one channel's
// input disturbs that channel's output for at most the frame it arrives in and the next
// 16 (the span of the 17 taps that meet input samples), and never the other channel;
// afterwards the output has exactly the bits of a clean run. Finite input of any size the
// filter can carry gives finite output.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effect/FilterDesign.h"
#include "shell/EntryPoint.h"
#include "shell/Vst2.h"

namespace {

constexpr int kTaps = 17;
constexpr int kDisturbedFrames = kTaps;  // the frame of the bad sample and the 16 after it
constexpr int kBlockFrames = 64;

intptr_t PlainHost(void*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == audioMasterGetSampleRate)
        return 44100;
    if (opcode == audioMasterGetBlockSize)
        return kBlockFrames;
    return 0;
}

template <typename Sample>
struct Stereo {
    std::vector<Sample> channel[2];
};

template <typename Sample>
void ProcessRecord(AEffect* effect, Sample** inputs, Sample** outputs, int frames);

template <>
void ProcessRecord<float>(AEffect* effect, float** inputs, float** outputs, int frames)
{
    effect->processReplacing(effect, inputs, outputs, frames);
}

template <>
void ProcessRecord<double>(AEffect* effect, double** inputs, double** outputs, int frames)
{
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
}

// A fresh instance at prototype `factorIndex` run over `input` in blocks of kBlockFrames.
template <typename Sample>
Stereo<Sample> Filter(int factorIndex, const Stereo<Sample>& input)
{
    AEffect* effect = VSTPluginMain(&PlainHost);
    EXPECT_NE(effect, nullptr);
    Stereo<Sample> output;
    if (!effect)
        return output;
    effect->setParameter(effect, 0, float(factorIndex) / 4.0f);
    const size_t length = input.channel[0].size();
    output.channel[0].assign(length, Sample(0));
    output.channel[1].assign(length, Sample(0));
    for (size_t start = 0; start < length; start += kBlockFrames) {
        const int frames = int(std::min<size_t>(kBlockFrames, length - start));
        Sample* inputs[2] = {const_cast<Sample*>(input.channel[0].data()) + start,
                             const_cast<Sample*>(input.channel[1].data()) + start};
        Sample* outputs[2] = {output.channel[0].data() + start, output.channel[1].data() + start};
        ProcessRecord<Sample>(effect, inputs, outputs, frames);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return output;
}

template <typename Sample>
Stereo<Sample> Noise(size_t length, unsigned seed)
{
    Stereo<Sample> signal;
    uint32_t state = seed;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            signal.channel[c].push_back(Sample(double(int32_t(state)) / 2147483648.0 * 0.9));
        }
    return signal;
}

template <typename Sample>
bool SameBits(Sample a, Sample b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first frame at which the two channels differ in their bits, or -1.
template <typename Sample>
long FirstDifference(const std::vector<Sample>& a, const std::vector<Sample>& b, size_t from = 0)
{
    for (size_t i = from; i < a.size(); ++i)
        if (!SameBits(a[i], b[i]))
            return long(i);
    return -1;
}

template <typename Sample>
class NonFiniteInput : public ::testing::Test {};

using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(NonFiniteInput, Precisions);

TYPED_TEST(NonFiniteInput, DisturbsOnlyItsChannelForSeventeenFrames)
{
    using Sample = TypeParam;
    constexpr size_t kLength = 6 * kBlockFrames;
    const Stereo<Sample> clean = Noise<Sample>(kLength, 17);
    const Sample badValues[] = {std::numeric_limits<Sample>::quiet_NaN(),
                                std::numeric_limits<Sample>::infinity(),
                                -std::numeric_limits<Sample>::infinity()};
    // Inside a block, and at a block's last frame so that the disturbance crosses into
    // the next block.
    const size_t positions[] = {100, 3 * kBlockFrames - 1};

    for (int factorIndex = 0; factorIndex < kPrototypeCount; ++factorIndex) {
        const Stereo<Sample> reference = Filter(factorIndex, clean);
        for (Sample bad : badValues)
            for (int channel = 0; channel < 2; ++channel)
                for (size_t at : positions) {
                    SCOPED_TRACE("factor " + std::to_string(PrototypeFactor(factorIndex)) +
                                 ", value " + std::to_string(double(bad)) + ", channel " +
                                 std::to_string(channel) + ", frame " + std::to_string(at));
                    Stereo<Sample> dirty = clean;
                    dirty.channel[channel][at] = bad;
                    const Stereo<Sample> output = Filter(factorIndex, dirty);
                    const std::vector<Sample>& hit = output.channel[channel];
                    // The bad sample shows from its own frame on, and not a frame earlier.
                    EXPECT_EQ(FirstDifference(hit, reference.channel[channel]), long(at));
                    EXPECT_EQ(FirstDifference(hit, reference.channel[channel], at + kDisturbedFrames), -1);
                    EXPECT_EQ(FirstDifference(output.channel[1 - channel],
                                              reference.channel[1 - channel]),
                              -1);
                }
    }
}

TYPED_TEST(NonFiniteInput, SubnormalInputGivesFiniteOutput)
{
    using Sample = TypeParam;
    constexpr size_t kLength = 4 * kBlockFrames;
    Stereo<Sample> tiny = Noise<Sample>(kLength, 5);
    for (int c = 0; c < 2; ++c)
        for (Sample& value : tiny.channel[c])
            value *= std::numeric_limits<Sample>::min();  // every value below the normal range
    for (int factorIndex = 0; factorIndex < kPrototypeCount; ++factorIndex) {
        const Stereo<Sample> output = Filter(factorIndex, tiny);
        for (int c = 0; c < 2; ++c)
            for (Sample value : output.channel[c])
                ASSERT_TRUE(std::isfinite(value)) << "factor " << PrototypeFactor(factorIndex);
    }
}

// ---- Large finite input ----------------------------------------------------------------

// The largest magnitude one output can reach per unit of input: every one of the 17 taps
// meeting an input of full size with the sign of its coefficient.
double PeakGain(int factorIndex)
{
    const PrototypeDesign& design = DesignedPrototype(factorIndex);
    const int factor = PrototypeFactor(factorIndex);
    double sum = 0.0;
    for (int k = 0; k < kTaps; ++k)
        sum += std::fabs(design.coefficients[size_t(k * factor)]);
    return sum * design.gain;
}

// Input that drives output frame kTaps - 1 of each channel to the peak: the sample k frames
// before it carries the sign of tap k; channel 1 the opposite signs.
template <typename Sample>
Stereo<Sample> WorstCase(int factorIndex, Sample amplitude)
{
    const PrototypeDesign& design = DesignedPrototype(factorIndex);
    const int factor = PrototypeFactor(factorIndex);
    Stereo<Sample> signal;
    for (int c = 0; c < 2; ++c)
        signal.channel[c].assign(2 * kBlockFrames, Sample(0));
    for (int k = 0; k < kTaps; ++k) {
        const bool positive = design.coefficients[size_t(k * factor)] >= 0.0;
        signal.channel[0][size_t(kTaps - 1 - k)] = positive ? amplitude : -amplitude;
        signal.channel[1][size_t(kTaps - 1 - k)] = positive ? -amplitude : amplitude;
    }
    return signal;
}

template <typename Sample>
void ExpectFinite(const Stereo<Sample>& output, const std::string& what)
{
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < output.channel[c].size(); ++i)
            ASSERT_TRUE(std::isfinite(output.channel[c][i]))
                << what << ": channel " << c << ", frame " << i << " is " << output.channel[c][i];
}

TEST(LargeFiniteInput, DoublesBelowTheOverflowThresholdGiveFiniteOutput)
{
    for (int factorIndex = 0; factorIndex < kPrototypeCount; ++factorIndex) {
        const double threshold = DBL_MAX / PeakGain(factorIndex);
        std::printf("factor %2d: peak gain %.6f, 64-bit input overflows above %.6g\n",
                    PrototypeFactor(factorIndex), PeakGain(factorIndex), threshold);
        const double amplitude = threshold * (1.0 - 1e-9);
        ExpectFinite(Filter(factorIndex, WorstCase(factorIndex, amplitude)),
                     "worst case at factor " + std::to_string(PrototypeFactor(factorIndex)));
        Stereo<double> constant;
        constant.channel[0].assign(2 * kBlockFrames, amplitude);
        constant.channel[1].assign(2 * kBlockFrames, -amplitude);
        ExpectFinite(Filter(factorIndex, constant),
                     "constant at factor " + std::to_string(PrototypeFactor(factorIndex)));
    }
}

// Every finite 32-bit sample, however the signs fall, must come back finite: the filter's
// overshoot (up to about 2.44 times the input) must not turn full-scale float input into
// infinity when the result is narrowed for the host.
TEST(LargeFiniteInput, FullScaleFloatsGiveFiniteOutput)
{
    for (int factorIndex = 0; factorIndex < kPrototypeCount; ++factorIndex) {
        ExpectFinite(Filter(factorIndex, WorstCase(factorIndex, FLT_MAX)),
                     "worst case at factor " + std::to_string(PrototypeFactor(factorIndex)));
        Stereo<float> step;
        step.channel[0].assign(2 * kBlockFrames, FLT_MAX);
        step.channel[1].assign(2 * kBlockFrames, -FLT_MAX);
        ExpectFinite(Filter(factorIndex, step),
                     "step at factor " + std::to_string(PrototypeFactor(factorIndex)));
    }
}

}  // namespace
