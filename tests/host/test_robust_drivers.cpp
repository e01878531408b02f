// The scenarios every plug-in standard's build must survive, written once over the drivers
// and run for each plug-in file this build made: a hostile host's random calls, in-place and
// chunked processing, and non-finite and extreme sample values. A NaN or infinity in one
// channel's input disturbs that channel's output for at most the frame it arrives in and the
// next 16 (the span of the 17 taps that meet input samples), never the other channel;
// afterwards the output has exactly the bits of a clean run.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "effect/ControlDescription.h"
#include "effect/FilterDesign.h"
#include "tests/robustness/BuiltPlugins.h"
#include "tests/robustness/GuardedStereoBlock.h"

namespace {

using robustness::GuardedStereoBlock;
using robustness::PluginScenario;

constexpr int kTaps = 17;
constexpr int kBlockFrames = 64;

template <typename Sample>
struct Stereo {
    std::vector<Sample> channel[2];
    size_t Length() const { return channel[0].size(); }
};

template <typename Sample>
bool SameBits(Sample a, Sample b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first frame from `from` on at which the two differ in their bits, or -1.
template <typename Sample>
long FirstDifference(const std::vector<Sample>& a, const std::vector<Sample>& b, size_t from = 0)
{
    for (size_t i = from; i < a.size(); ++i)
        if (!SameBits(a[i], b[i]))
            return long(i);
    return -1;
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

// `input` through `driver` in blocks of `block` frames (the last one shorter).
template <typename Sample>
Stereo<Sample> Filter(PluginDriver& driver, const Stereo<Sample>& input, int block = kBlockFrames)
{
    Stereo<Sample> output = input;
    Stereo<Sample> source = input;
    for (size_t start = 0; start < input.Length(); start += size_t(block)) {
        const int frames = int(std::min<size_t>(size_t(block), input.Length() - start));
        Sample* inputs[2] = {source.channel[0].data() + start, source.channel[1].data() + start};
        Sample* outputs[2] = {output.channel[0].data() + start, output.channel[1].data() + start};
        driver.Process(inputs, outputs, frames);
    }
    return output;
}

float ControlOfStep(int step)
{
    return float(OversamplingControl::ValueOfStep(step));
}

class Scenario : public PluginScenario {
protected:
    // A fresh instance at prototype `step` over `input`, in blocks of kBlockFrames.
    template <typename Sample>
    Stereo<Sample> FreshFilter(int step, const Stereo<Sample>& input)
    {
        std::unique_ptr<PluginDriver> driver = NewInstance(44100.0, kBlockFrames);
        if (!driver)
            return Stereo<Sample>();
        driver->SetParameter(ControlOfStep(step));
        return Filter(*driver, input);
    }

    // An impulse left and a step right at every factor: two instances whose history is the
    // same give the same bits.
    static std::vector<float> Responses(PluginDriver& driver)
    {
        std::vector<float> responses;
        Stereo<float> probe;
        probe.channel[0].assign(48, 0.0f);
        probe.channel[1].assign(48, 0.5f);
        probe.channel[0][0] = 1.0f;
        for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
            // A change of factor may be crossfaded over the next block; the reset comes after it.
            driver.SetParameter(ControlOfStep(step));
            driver.Reset();
            const Stereo<float> output = Filter(driver, probe, 48);
            for (int c = 0; c < 2; ++c)
                responses.insert(responses.end(), output.channel[c].begin(), output.channel[c].end());
        }
        return responses;
    }

    template <typename Sample>
    void ExpectDisturbanceOnlyWhereTheBadSampleReaches();
    template <typename Sample>
    void ExpectFinite(const Stereo<Sample>& output, const std::string& what);
};

// ---- A hostile host's calls -------------------------------------------------------------

class RandomHost {
public:
    static constexpr int kCapacity = 3 * 8192;

    explicit RandomHost(uint64_t seed) : random(seed), floats(kCapacity), doubles(kCapacity) {}

    float RandomControl()
    {
        const float special[] = {0.0f, 1.0f, 0.25f, 0.5f, 0.75f, -1.0f, 7.5f, 1e30f, -0.0f,
                                 std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::denorm_min()};
        if (random() % 2)
            return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        return special[random() % (sizeof special / sizeof special[0])];
    }

    // Mostly short blocks, some as long as the buffers, some of no or negative length.
    int RandomFrames()
    {
        if (random() % 4 == 0)
            return int(random() % (kCapacity + 1));
        return int(random() % 606) - 5;
    }

    // One call; false, with a failure naming it, where the instance misbehaved.
    bool Call(PluginDriver& driver, const std::string& where)
    {
        switch (random() % 10) {
        case 0:
            driver.Prepare(random() % 2 ? 44100.0 : 96000.0, int32_t(1 + random() % 5000));
            return true;
        case 1:
            driver.Reset();
            return true;
        case 2:
        case 3:
            return SetAndGet(driver, where);
        default:
            return random() % 2 ? Block(driver, floats, where) : Block(driver, doubles, where);
        }
    }

    std::mt19937_64 random;

private:
    bool SetAndGet(PluginDriver& driver, const std::string& where)
    {
        const float value = RandomControl();
        driver.SetParameter(value);
        const int step = OversamplingControl::StepOfValue(driver.GetParameter());
        if (step == OversamplingControl::StepOfValue(value))
            return true;
        ADD_FAILURE() << where << "the control " << value << " came back as step " << step;
        return false;
    }

    template <typename Sample>
    bool Block(PluginDriver& driver, GuardedStereoBlock<Sample>& block, const std::string& where)
    {
        const int frames = RandomFrames();
        block.Prepare(random, frames);
        driver.Process(block.Inputs(), block.Outputs(), frames);
        if (!block.WroteExactlyFiniteFrames(frames)) {
            ADD_FAILURE() << where << sizeof(Sample) * 8 << "-bit block of " << frames
                          << " frames: a non-finite output or a write outside the frames";
            return false;
        }
        if (!block.InputsUntouched()) {
            ADD_FAILURE() << where << sizeof(Sample) * 8 << "-bit block of " << frames
                          << " frames changed its inputs";
            return false;
        }
        return true;
    }

    GuardedStereoBlock<float> floats;
    GuardedStereoBlock<double> doubles;
};

TEST_P(Scenario, RandomHostCallsKeepOutputsFiniteAndInsideTheirBuffersAndResetForgets)
{
    constexpr int kInstances = 4;
    constexpr int kCalls = 4000;
    for (int instance = 0; instance < kInstances; ++instance) {
        const uint64_t seed = 0x1f2e3d00u + uint64_t(instance);
        std::printf("random host calls: seed 0x%llx\n", static_cast<unsigned long long>(seed));
        RandomHost host(seed);
        std::unique_ptr<PluginDriver> driver = NewInstance(48000.0, int32_t(1 + host.random() % 5000));
        ASSERT_TRUE(driver);
        for (int call = 0; call < kCalls; ++call) {
            char where[64];
            std::snprintf(where, sizeof where, "seed 0x%llx, call %d: ",
                          static_cast<unsigned long long>(seed), call);
            ASSERT_TRUE(host.Call(*driver, where));
        }
        // Whatever the calls did, a reset instance answers as a fresh one does.
        driver->Prepare(44100.0, 512);
        std::unique_ptr<PluginDriver> fresh = NewInstance(44100.0, 512);
        ASSERT_TRUE(fresh);
        EXPECT_EQ(Responses(*driver), Responses(*fresh)) << "seed " << seed;
    }
}

// ---- Non-finite and extreme sample values -----------------------------------------------

template <typename Sample>
void Scenario::ExpectDisturbanceOnlyWhereTheBadSampleReaches()
{
    constexpr size_t kLength = 6 * kBlockFrames;
    const Stereo<Sample> clean = Noise<Sample>(kLength, 17);
    const Sample badValues[] = {std::numeric_limits<Sample>::quiet_NaN(),
                                std::numeric_limits<Sample>::infinity(),
                                -std::numeric_limits<Sample>::infinity()};
    // Inside a block, and at a block's last frame so that the disturbance crosses into the
    // next block.
    const size_t positions[] = {100, 3 * kBlockFrames - 1};
    for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
        const Stereo<Sample> reference = FreshFilter(step, clean);
        ASSERT_EQ(reference.Length(), kLength);
        for (Sample bad : badValues)
            for (int channel = 0; channel < 2; ++channel)
                for (size_t at : positions) {
                    SCOPED_TRACE(std::to_string(sizeof(Sample) * 8) + "-bit, step " + std::to_string(step) +
                                 ", value " + std::to_string(double(bad)) + ", channel " +
                                 std::to_string(channel) + ", frame " + std::to_string(at));
                    Stereo<Sample> dirty = clean;
                    dirty.channel[channel][at] = bad;
                    const Stereo<Sample> output = FreshFilter(step, dirty);
                    const std::vector<Sample>& hit = output.channel[channel];
                    EXPECT_EQ(FirstDifference(hit, reference.channel[channel]), long(at));
                    EXPECT_EQ(FirstDifference(hit, reference.channel[channel], at + kTaps), -1);
                    EXPECT_EQ(FirstDifference(output.channel[1 - channel], reference.channel[1 - channel]), -1);
                }
    }
}

TEST_P(Scenario, NonFiniteInputDisturbsOnlyItsChannelForSeventeenFrames)
{
    ExpectDisturbanceOnlyWhereTheBadSampleReaches<float>();
    if (ProcessesDoubles())
        ExpectDisturbanceOnlyWhereTheBadSampleReaches<double>();
}

TEST_P(Scenario, ResetForgetsANonFiniteSampleStillInTheFilter)
{
    Stereo<float> dirty = Noise<float>(kBlockFrames, 3);
    dirty.channel[0][kBlockFrames - 1] = std::numeric_limits<float>::quiet_NaN();
    dirty.channel[1][kBlockFrames - 1] = std::numeric_limits<float>::infinity();
    const Stereo<float> clean = Noise<float>(kBlockFrames, 9);
    for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
        std::unique_ptr<PluginDriver> driver = NewInstance(44100.0, kBlockFrames);
        ASSERT_TRUE(driver);
        driver->SetParameter(ControlOfStep(step));
        Filter(*driver, dirty);
        driver->Reset();
        const Stereo<float> afterReset = Filter(*driver, clean);
        const Stereo<float> fresh = FreshFilter(step, clean);
        EXPECT_EQ(FirstDifference(afterReset.channel[0], fresh.channel[0]), -1) << "step " << step;
        EXPECT_EQ(FirstDifference(afterReset.channel[1], fresh.channel[1]), -1) << "step " << step;
    }
}

template <typename Sample>
void Scenario::ExpectFinite(const Stereo<Sample>& output, const std::string& what)
{
    ASSERT_GT(output.Length(), 0u) << what;
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < output.Length(); ++i)
            ASSERT_TRUE(std::isfinite(output.channel[c][i]))
                << what << ": channel " << c << ", frame " << i << " is " << output.channel[c][i];
}

// The largest magnitude one output can reach per unit of input: every one of the 17 taps
// meeting an input of full size with the sign of its coefficient.
double PeakGain(int step)
{
    const PrototypeDesign& design = DesignedPrototype(step);
    double sum = 0.0;
    for (int k = 0; k < kTaps; ++k)
        sum += std::fabs(design.coefficients[size_t(k * PrototypeFactor(step))]);
    return sum * design.gain;
}

// Input that drives output frame kTaps - 1 of each channel to the peak: the sample k frames
// before it carries the sign of tap k; channel 1 the opposite signs.
template <typename Sample>
Stereo<Sample> WorstCase(int step, Sample amplitude)
{
    const PrototypeDesign& design = DesignedPrototype(step);
    Stereo<Sample> signal;
    for (int c = 0; c < 2; ++c)
        signal.channel[c].assign(2 * kBlockFrames, Sample(0));
    for (int k = 0; k < kTaps; ++k) {
        const bool positive = design.coefficients[size_t(k * PrototypeFactor(step))] >= 0.0;
        signal.channel[0][size_t(kTaps - 1 - k)] = positive ? amplitude : -amplitude;
        signal.channel[1][size_t(kTaps - 1 - k)] = positive ? -amplitude : amplitude;
    }
    return signal;
}

TEST_P(Scenario, DoublesBelowTheOverflowThresholdGiveFiniteOutput)
{
    if (!ProcessesDoubles())
        GTEST_SKIP() << "64-bit samples pass through 32-bit ones in this standard";
    for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
        const double threshold = DBL_MAX / PeakGain(step);
        std::printf("factor %2d: peak gain %.6f, 64-bit input overflows above %.6g\n",
                    PrototypeFactor(step), PeakGain(step), threshold);
        const double amplitude = threshold * (1.0 - 1e-9);
        ExpectFinite(FreshFilter(step, WorstCase(step, amplitude)), "worst case at step " + std::to_string(step));
        Stereo<double> constant;
        constant.channel[0].assign(2 * kBlockFrames, amplitude);
        constant.channel[1].assign(2 * kBlockFrames, -amplitude);
        ExpectFinite(FreshFilter(step, constant), "constant at step " + std::to_string(step));
    }
}

// Every finite 32-bit sample, however the signs fall, must come back finite: the filter's
// overshoot (up to about 2.44 times the input) must not turn full-scale float input into
// infinity when the result is narrowed for the host.
TEST_P(Scenario, FullScaleFloatsGiveFiniteOutput)
{
    for (int step = 0; step < OversamplingControl::kStepCount; ++step) {
        ExpectFinite(FreshFilter(step, WorstCase(step, FLT_MAX)), "worst case at step " + std::to_string(step));
        Stereo<float> edge;
        edge.channel[0].assign(2 * kBlockFrames, FLT_MAX);
        edge.channel[1].assign(2 * kBlockFrames, -FLT_MAX);
        ExpectFinite(FreshFilter(step, edge), "step input at step " + std::to_string(step));
    }
}

INSTANTIATE_OVER_BUILT_PLUGINS(Scenario);

}  // namespace
