// The audio bridge: the machine's block length follows the host's frame count, samples are
// widened on the way in and narrowed on the way out, and the host's outputs are replaced.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "framework/AudioBuffer.h"
#include "framework/Port.h"
#include "tests/shell/AdapterHarness.h"

namespace {

template <typename Sample>
struct Block {
    explicit Block(int frames, Sample fill = 0)
        : in{std::vector<Sample>(frames, fill), std::vector<Sample>(frames, fill)},
          out{std::vector<Sample>(frames, Sample(99)), std::vector<Sample>(frames, Sample(99))}
    {
    }
    Sample** Inputs()
    {
        inputs[0] = in[0].data();
        inputs[1] = in[1].data();
        return inputs;
    }
    Sample** Outputs()
    {
        outputs[0] = out[0].data();
        outputs[1] = out[1].data();
        return outputs;
    }
    std::vector<Sample> in[2];
    std::vector<Sample> out[2];
    Sample* inputs[2];
    Sample* outputs[2];
};

void ProcessFloat(AdapterHarness& h, int frames)
{
    Block<float> block(frames > 0 ? frames : 0, 0.5f);
    h.Effect()->processReplacing(h.Effect(), block.Inputs(), block.Outputs(), frames);
}

void ProcessDouble(AdapterHarness& h, int frames)
{
    Block<double> block(frames > 0 ? frames : 0, 0.5);
    h.Effect()->processDoubleReplacing(h.Effect(), block.Inputs(), block.Outputs(), frames);
}

TEST(AdapterAudio, ResizesOnlyWhenTheFrameCountChanges)
{
    AdapterHarness h;
    ProcessFloat(h, 512);
    ProcessFloat(h, 512);
    EXPECT_EQ(h.machine->blockLengths, (std::vector<int>{512}));
    ProcessDouble(h, 300);
    ProcessFloat(h, 512);
    ProcessDouble(h, 512);
    EXPECT_EQ(h.machine->blockLengths, (std::vector<int>{512, 300, 512}));
    EXPECT_EQ(h.adapter->LastFrames(), 512);
    EXPECT_EQ(h.machine->processCalls, 5);
    EXPECT_EQ(h.adapter->InputPort()->audio->length, 512);
    EXPECT_EQ(h.adapter->OutputPort()->audio->length, 512);
}

TEST(AdapterAudio, BlockSizeFromTheHostMovesLastFramesToo)
{
    AdapterHarness h;
    ProcessFloat(h, 512);
    h.Dispatch(effSetBlockSize, 0, 1024);
    EXPECT_EQ(h.adapter->LastFrames(), 1024);
    EXPECT_EQ(h.adapter->InputPort()->audio->length, 1024);
    ProcessFloat(h, 512);
    EXPECT_EQ(h.machine->blockLengths, (std::vector<int>{512, 1024, 512}));
    EXPECT_EQ(h.machine->lastInputLeft.size(), 512u);
    // The fields of the basic effect are not where the size goes.
    EXPECT_EQ(h.adapter->getBlockSize(), 1024);
    h.Dispatch(effSetBlockSize, 0, 64);
    EXPECT_EQ(h.adapter->getBlockSize(), 1024);
}

TEST(AdapterAudio, NegativeCountsAreZeroAndZeroFramesNeedNoBuffers)
{
    AdapterHarness h;
    ProcessFloat(h, 64);
    h.Effect()->processReplacing(h.Effect(), nullptr, nullptr, -5);
    EXPECT_EQ(h.machine->blockLengths, (std::vector<int>{64, 0}));
    EXPECT_EQ(h.adapter->LastFrames(), 0);
    h.Effect()->processDoubleReplacing(h.Effect(), nullptr, nullptr, 0);
    EXPECT_EQ(h.machine->blockLengths, (std::vector<int>{64, 0}));
    EXPECT_EQ(h.machine->processCalls, 3);
    h.Dispatch(effSetBlockSize, 0, -7);
    EXPECT_EQ(h.machine->blockLengths.back(), 0);
    EXPECT_EQ(h.adapter->LastFrames(), 0);
}

TEST(AdapterAudio, FloatInputReachesTheMachineAsTheNearestFloatWidened)
{
    AdapterHarness h;
    Block<float> block(3);
    block.in[0] = {0.1f, -0.3f, 1e-30f};
    block.in[1] = {0.7f, 16777217.0f, -0.0f};
    h.Effect()->processReplacing(h.Effect(), block.Inputs(), block.Outputs(), 3);
    ASSERT_EQ(h.machine->lastInputLeft.size(), 3u);
    EXPECT_EQ(h.machine->lastInputLeft[0], static_cast<double>(0.1f));
    EXPECT_NE(h.machine->lastInputLeft[0], 0.1);
    EXPECT_EQ(h.machine->lastInputLeft[1], static_cast<double>(-0.3f));
    EXPECT_EQ(h.machine->lastInputLeft[2], static_cast<double>(1e-30f));
    EXPECT_EQ(h.machine->lastInputRight[0], static_cast<double>(0.7f));
    EXPECT_EQ(h.machine->lastInputRight[1], static_cast<double>(16777217.0f));
}

TEST(AdapterAudio, OutputsAreReplacedAndRoundedToNearestFloat)
{
    AdapterHarness h;
    Block<float> block(2);
    block.in[0] = {0.1f, 0.2f};
    block.in[1] = {-1.0f, 0.0f};
    h.Effect()->processReplacing(h.Effect(), block.Inputs(), block.Outputs(), 2);
    // The test machine writes in * 2 + 0.25, in double precision.
    EXPECT_EQ(block.out[0][0], static_cast<float>(static_cast<double>(0.1f) * 2.0 + 0.25));
    EXPECT_EQ(block.out[0][1], static_cast<float>(static_cast<double>(0.2f) * 2.0 + 0.25));
    EXPECT_EQ(block.out[1][0], -1.75f);
    EXPECT_EQ(block.out[1][1], 0.25f);
}

// Finite results beyond the float range saturate; infinities and NaN keep what they are.
TEST(AdapterAudio, NarrowingSaturatesFiniteOverflowButKeepsInfinityAndNaN)
{
    AdapterHarness h;
    constexpr float kMax = std::numeric_limits<float>::max();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    Block<float> block(3);
    block.in[0] = {kMax, kInf, std::numeric_limits<float>::quiet_NaN()};
    block.in[1] = {-kMax, -kInf, 1.0f};
    h.Effect()->processReplacing(h.Effect(), block.Inputs(), block.Outputs(), 3);
    EXPECT_EQ(block.out[0][0], kMax);
    EXPECT_EQ(block.out[1][0], -kMax);
    EXPECT_EQ(block.out[0][1], kInf);
    EXPECT_EQ(block.out[1][1], -kInf);
    EXPECT_TRUE(std::isnan(block.out[0][2]));
    EXPECT_EQ(block.out[1][2], 2.25f);
}

TEST(AdapterAudio, DoublePrecisionPassesSamplesUnchanged)
{
    AdapterHarness h;
    Block<double> block(2);
    block.in[0] = {0.1, 1.0 / 3.0};
    block.in[1] = {1e-300, -2.5};
    h.Effect()->processDoubleReplacing(h.Effect(), block.Inputs(), block.Outputs(), 2);
    EXPECT_EQ(h.machine->lastInputLeft, (std::vector<double>{0.1, 1.0 / 3.0}));
    EXPECT_EQ(h.machine->lastInputRight, (std::vector<double>{1e-300, -2.5}));
    EXPECT_EQ(block.out[0][0], 0.1 * 2.0 + 0.25);
    EXPECT_EQ(block.out[0][1], (1.0 / 3.0) * 2.0 + 0.25);
    EXPECT_EQ(block.out[1][1], -4.75);
}

TEST(AdapterAudio, InPlaceBuffersWork)
{
    AdapterHarness h;
    std::vector<float> left{1.0f, 2.0f}, right{3.0f, 4.0f};
    float* channels[2] = {left.data(), right.data()};
    h.Effect()->processReplacing(h.Effect(), channels, channels, 2);
    EXPECT_EQ(left, (std::vector<float>{2.25f, 4.25f}));
    EXPECT_EQ(right, (std::vector<float>{6.25f, 8.25f}));
}

TEST(AdapterAudio, MissingHostChannelsReadAsSilenceAndAreNotWritten)
{
    AdapterHarness h;
    Block<float> block(4, 0.5f);
    h.Effect()->processReplacing(h.Effect(), block.Inputs(), block.Outputs(), 4);
    float* noChannels[2] = {nullptr, nullptr};
    h.Effect()->processReplacing(h.Effect(), noChannels, noChannels, 4);
    EXPECT_EQ(h.machine->lastInputLeft, (std::vector<double>(4, 0.0)));
    h.Effect()->processReplacing(h.Effect(), nullptr, nullptr, 4);
    EXPECT_EQ(h.machine->lastInputRight, (std::vector<double>(4, 0.0)));
    EXPECT_EQ(h.machine->processCalls, 3);
}

TEST(AdapterAudio, AccumulatingProcessDoesNothing)
{
    AdapterHarness h;
    Block<float> block(4, 0.5f);
    h.Effect()->process(h.Effect(), block.Inputs(), block.Outputs(), 4);
    EXPECT_EQ(h.machine->processCalls, 0);
    EXPECT_TRUE(h.machine->blockLengths.empty());
    EXPECT_EQ(block.out[0], (std::vector<float>(4, 99.0f)));
}

TEST(AdapterAudio, SampleRateIsTruncatedForTheMachine)
{
    AdapterHarness h;
    h.Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.9f);
    h.Dispatch(effSetSampleRate, 0, 0, nullptr, 95999.5f);
    h.Dispatch(effSetSampleRate, 0, 0, nullptr, -0.5f);
    h.Dispatch(effSetSampleRate, 0, 0, nullptr, 1e20f);
    EXPECT_EQ(h.machine->sampleRates, (std::vector<int>{44100, 95999, 0, 2147483647}));
    EXPECT_EQ(h.adapter->getSampleRate(), 44100.0f);
}

}  // namespace
