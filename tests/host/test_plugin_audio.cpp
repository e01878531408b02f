// Audio through every plug-in file of the build, driven by its standard's driver, in both
// precisions where the standard carries both: the output is the designed filter, whatever
// the block sizes and buffer layouts, and replaces what the host's buffers held. Then what
// only the VST 2.x record has: block sizes announced between blocks, its two precisions side
// by side, empty and negative frame counts, and the accumulating process call.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/PluginInstance.h"
#include "tests/effect/ReferenceFir.h"
#include "tests/host/BuiltPlugin.h"
#include "tests/host/FilterExpectation.h"
#include "tests/robustness/BuiltPlugins.h"

namespace {

constexpr double kDoubleTolerance = 1e-12;
constexpr double kFloatTolerance = 5e-7;  // a float's rounding at magnitudes up to 8

template <typename Sample>
double Tolerance();
template <>
double Tolerance<double>() { return kDoubleTolerance; }
template <>
double Tolerance<float>() { return kFloatTolerance; }

template <typename Sample>
std::vector<Sample> Noise(size_t length, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<Sample> samples(length);
    for (Sample& sample : samples)
        sample = static_cast<Sample>(uniform(generator));
    return samples;
}

// A stereo signal run through one instance (a driver or a record) block by block;
// `beforeBlock` runs before each.
template <typename Sample, typename Plugin, typename BeforeBlock>
void RunInBlocks(Plugin& plugin, const std::vector<Sample> (&input)[2],
                 std::vector<Sample> (&output)[2], const std::vector<int>& blockSizes,
                 BeforeBlock beforeBlock)
{
    output[0].clear();
    output[1].clear();
    size_t position = 0;
    for (size_t b = 0; b < blockSizes.size(); ++b) {
        const int frames = blockSizes[b];
        beforeBlock(b);
        StereoBlock<Sample> block(frames, Sample(7));
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                block.in[c][i] = input[c][position + i];
        plugin.Process(block.Inputs(), block.Outputs(), block.Frames());
        for (int c = 0; c < 2; ++c)
            output[c].insert(output[c].end(), block.out[c].begin(), block.out[c].end());
        position += static_cast<size_t>(frames);
    }
}

template <typename Sample>
void ExpectMatchesDesign(const std::vector<Sample>& output, const std::vector<Sample>& input,
                         int prototype, const char* what)
{
    const std::vector<double> expected =
        ExpectedFilterOutput(std::vector<double>(input.begin(), input.end()), prototype);
    ASSERT_EQ(output.size(), expected.size()) << what;
    int reported = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (std::fabs(static_cast<double>(output[i]) - expected[i]) > Tolerance<Sample>() &&
            reported++ < 5)
            ADD_FAILURE() << what << ": frame " << i << " is " << output[i] << ", the design gives "
                          << expected[i];
    }
}

// The scenarios below run for every plug-in file, in 64-bit samples only where the standard
// carries them: elsewhere they would test the driver's conversion, not the plug-in.
class PluginAudio : public robustness::PluginScenario {
public:
    std::unique_ptr<PluginDriver> Instance() { return NewInstance(); }

    template <typename Sample>
    void ChangingFrameCountsKeepTheSignalWhole();
    template <typename Sample>
    void EveryBufferLayoutGivesThePlainLoopsBits();
};

#define PLUGIN_AUDIO_TEST(name)             \
    TEST_P(PluginAudio, name)               \
    {                                       \
        name<float>();                      \
        if (ProcessesDoubles())             \
            name<double>();                 \
    }

template <typename Sample>
class DllAudio : public ::testing::Test {};
using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(DllAudio, Precisions);

template <typename TypeParam>
void PluginAudio::ChangingFrameCountsKeepTheSignalWhole()
{
    const std::vector<int> blocks{512, 300, 512, 0, 1, 4096};
    const size_t total = 512 + 300 + 512 + 0 + 1 + 4096;
    const std::vector<TypeParam> input[2] = {Noise<TypeParam>(total, 1), Noise<TypeParam>(total, 2)};
    for (int prototype : {1, 4}) {
        SCOPED_TRACE("prototype " + std::to_string(prototype));
        std::unique_ptr<PluginDriver> driver = Instance();
        ASSERT_TRUE(driver);
        PluginDriver& plugin = *driver;
        plugin.SetParameter(ParameterForPrototype(prototype));
        std::vector<TypeParam> output[2];
        RunInBlocks(plugin, input, output, blocks, [](size_t) {});
        ExpectMatchesDesign(output[0], input[0], prototype, "left");
        ExpectMatchesDesign(output[1], input[1], prototype, "right");
    }
}

PLUGIN_AUDIO_TEST(ChangingFrameCountsKeepTheSignalWhole)

TYPED_TEST(DllAudio, HostBlockSizeBetweenBlocksChangesNothingAudible)
{
    ASSERT_PLUGIN_LOADED();
    const std::vector<int> blocks{512, 512, 64, 64, 100, 512};
    const std::vector<intptr_t> blockSizeBefore{0, 1024, 64, 2048, 0, 512};
    const size_t total = 512 + 512 + 64 + 64 + 100 + 512;
    const std::vector<TypeParam> input[2] = {Noise<TypeParam>(total, 3), Noise<TypeParam>(total, 4)};

    PluginInstance split(BuiltPlugin().Entry(), ProgramHost());
    split.Start();
    split.SetParameter(0, ParameterForPrototype(2));
    std::vector<TypeParam> output[2];
    RunInBlocks(split, input, output, blocks, [&](size_t b) {
        if (blockSizeBefore[b] > 0)
            split.Dispatch(effSetBlockSize, 0, blockSizeBefore[b]);
    });

    PluginInstance whole(BuiltPlugin().Entry(), ProgramHost());
    whole.Start();
    whole.SetParameter(0, ParameterForPrototype(2));
    std::vector<TypeParam> reference[2];
    RunInBlocks(whole, input, reference, {static_cast<int>(total)}, [](size_t) {});

    EXPECT_EQ(output[0], reference[0]);
    EXPECT_EQ(output[1], reference[1]);
    ExpectMatchesDesign(output[0], input[0], 2, "left");
}

// The plain loop of every prototype, each keeping its own history.
std::vector<ReferenceFir> PlainLoops()
{
    std::vector<ReferenceFir> loops(kPrototypeCount);
    for (int i = 0; i < kPrototypeCount; ++i) {
        const PrototypeDesign& design = DesignedPrototype(i);
        loops[i].length = static_cast<int>(design.coefficients.size());
        loops[i].gain = design.gain;
        loops[i].coefficientsA = loops[i].coefficientsB = design.coefficients;
        loops[i].delayA.assign(design.coefficients.size(), 0.0);
        loops[i].delayB.assign(design.coefficients.size(), 0.0);
    }
    return loops;
}

// 32-bit outputs: finite sums beyond the float range saturate, infinities and NaN stay.
template <typename Sample>
Sample AsHostSample(double sum)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::is_same_v<Sample, float> && !std::isinf(sum))
        sum = sum > kLargest ? kLargest : sum < -kLargest ? -kLargest : sum;
    return static_cast<Sample>(sum);
}

// Whether the host hands separate arrays (prefilled, so that adding to them shows), the input
// arrays again as outputs, or each channel's input array as the other channel's output, the
// block sizes and prototype switches the host makes leave every output bit that of the plain
// loop, the design's own taps in their zero-stuffed line. Inputs include near-full-scale
// samples, whose sums leave the float range, and now and then an infinity.
template <typename TypeParam>
void PluginAudio::EveryBufferLayoutGivesThePlainLoopsBits()
{
    const int sizes[] = {1, 7, 15, 16, 17, 31, 32, 33, 64, 100, 512};
    // "paged": each array starts a page after the one before, as a host's page-aligned
    // buffers do, so that every output shares its low address bits with every input.
    for (const char* layout : {"apart", "in place", "crossed", "paged"}) {
        const unsigned seed = 977 + static_cast<unsigned>(layout[0]);
        std::mt19937 random(seed);
        std::unique_ptr<PluginDriver> driver = Instance();
        ASSERT_TRUE(driver);
        PluginDriver& plugin = *driver;
        std::vector<ReferenceFir> plain = PlainLoops();
        for (int block = 0; block < 80; ++block) {
            const int prototype = static_cast<int>(random() % kPrototypeCount);
            const int frames = sizes[random() % std::size(sizes)];
            plugin.SetParameter(ParameterForPrototype(prototype));
            std::vector<TypeParam> arrays[4];
            std::vector<double> in[2], expected[2];
            for (int c = 0; c < 2; ++c) {
                for (int i = 0; i < frames; ++i) {
                    const unsigned kind = random() % 400;
                    const double x = kind == 0   ? INFINITY
                                     : kind < 9  ? (kind % 2 ? 3e38 : -3e38)
                                                 : (random() % 20001) / 10000.0 - 1.0;
                    arrays[c].push_back(static_cast<TypeParam>(x));
                    in[c].push_back(static_cast<double>(arrays[c].back()));
                }
                arrays[c + 2].assign(frames, TypeParam(7));
                expected[c].resize(frames);
            }
            plain[prototype].Run(in[0].data(), in[1].data(), expected[0].data(),
                                 expected[1].data(), frames, PrototypeFactor(prototype));
            TypeParam* inputs[2] = {arrays[0].data(), arrays[1].data()};
            TypeParam* outputs[2] = {arrays[2].data(), arrays[3].data()};
            constexpr size_t kPage = 4096 / sizeof(TypeParam);
            const size_t stride = (frames + kPage - 1) / kPage * kPage;
            std::vector<TypeParam> paged(4 * stride + kPage);
            if (layout[0] == 'i') {
                outputs[0] = inputs[0], outputs[1] = inputs[1];
            } else if (layout[0] == 'c') {
                outputs[0] = inputs[1], outputs[1] = inputs[0];
            } else if (layout[0] == 'p') {
                const uintptr_t start = reinterpret_cast<uintptr_t>(paged.data());
                TypeParam* base =
                    paged.data() + ((4096 - start % 4096) % 4096) / sizeof(TypeParam);
                for (int a = 0; a < 4; ++a)
                    std::copy(arrays[a].begin(), arrays[a].end(), base + a * stride);
                inputs[0] = base, inputs[1] = base + stride;
                outputs[0] = base + 2 * stride, outputs[1] = base + 3 * stride;
            }
            plugin.Process(inputs, outputs, frames);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < frames; ++i) {
                    const TypeParam want = AsHostSample<TypeParam>(expected[c][i]);
                    ASSERT_EQ(std::memcmp(&outputs[c][i], &want, sizeof(want)), 0)
                        << layout << ", seed " << seed << ", block " << block << " (" << frames
                        << " frames, prototype " << prototype << "), channel " << c << ", frame "
                        << i << ": " << outputs[c][i] << " instead of " << want;
                }
        }
    }
}

PLUGIN_AUDIO_TEST(EveryBufferLayoutGivesThePlainLoopsBits)

TEST(DllAudioBoundary, FloatInputReachesTheFilterAsTheNearestFloat)
{
    ASSERT_PLUGIN_LOADED();
    const int frames = 64;
    PluginInstance single(BuiltPlugin().Entry(), ProgramHost());
    PluginInstance widened(BuiltPlugin().Entry(), ProgramHost());
    PluginInstance exact(BuiltPlugin().Entry(), ProgramHost());
    for (PluginInstance* plugin : {&single, &widened, &exact}) {
        plugin->Start();
        plugin->SetParameter(0, ParameterForPrototype(3));
    }
    StereoBlock<float> a(frames);
    StereoBlock<double> b(frames);
    StereoBlock<double> c(frames);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < frames; ++i) {
            a.in[ch][i] = 0.1f;
            b.in[ch][i] = static_cast<double>(0.1f);
            c.in[ch][i] = 0.1;
        }
    single.Process(a);
    widened.Process(b);
    exact.Process(c);
    int distinguishable = 0;
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(a.out[ch][i], static_cast<float>(b.out[ch][i])) << "frame " << i;
            distinguishable += b.out[ch][i] != c.out[ch][i];
        }
    // The double nearest 0.1 gives a different result, so the comparison above can tell.
    EXPECT_GT(distinguishable, 0);
}

TEST(DllAudioBoundary, NoFramesNeedNoBuffersAndNegativeCountsAreNone)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.Start();
    plugin.Process(static_cast<float**>(nullptr), nullptr, 0);
    plugin.Process(static_cast<double**>(nullptr), nullptr, 0);
    plugin.Process(static_cast<float**>(nullptr), nullptr, -1);
    plugin.Process(static_cast<double**>(nullptr), nullptr, -4096);
    plugin.Process(static_cast<float**>(nullptr), nullptr, INT32_MIN);
    // Still an ordinary instance afterwards.
    StereoBlock<double> block(32);
    block.in[0][0] = 1.0;
    plugin.Process(block);
    EXPECT_NEAR(block.out[0][0], DesignedPrototype(0).gain * DesignedPrototype(0).coefficients[0],
                kDoubleTolerance);
}

TEST(DllAudioBoundary, AccumulatingProcessLeavesTheOutputsAlone)
{
    ASSERT_PLUGIN_LOADED();
    PluginInstance plugin(BuiltPlugin().Entry(), ProgramHost());
    plugin.Start();
    StereoBlock<float> block(16, 3.0f);
    block.in[0][0] = 1.0f;
    plugin.Effect()->process(plugin.Effect(), block.Inputs(), block.Outputs(), 16);
    for (int c = 0; c < 2; ++c)
        for (float sample : block.out[c])
            EXPECT_EQ(sample, 3.0f);
}

INSTANTIATE_OVER_BUILT_PLUGINS(PluginAudio);

}  // namespace
