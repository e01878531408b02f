// The render loop with an effect whose output is easy to predict, and the generated inputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "WavBytes.h"
#include "tools/render/RenderLoop.h"
#include "tools/render/StereoStreams.h"
#include "tools/render/TestSignal.h"

namespace {

// Left out = 2 * left in, right out = left in - right in, and a record of the block sizes.
class CMixingEffect : public CStereoEffect {
public:
    void Process(float** in, float** out, int frames) override { Mix(in, out, frames); }
    void Process(double** in, double** out, int frames) override { Mix(in, out, frames); }

    std::vector<int> blocks;
    bool sawDouble = false;

private:
    template <typename Sample>
    void Mix(Sample** in, Sample** out, int frames) {
        blocks.push_back(frames);
        sawDouble = sizeof(Sample) == sizeof(double);
        for (int i = 0; i < frames; ++i) {
            out[0][i] = 2 * in[0][i];
            out[1][i] = in[0][i] - in[1][i];
        }
    }
};

class CCollectingSink : public CStereoSink {
public:
    void Write(const double* l, const double* r, size_t frames) override {
        left.insert(left.end(), l, l + frames);
        right.insert(right.end(), r, r + frames);
    }
    void Finish() override { ++finishCalls; }
    std::vector<double> left, right;
    int finishCalls = 0;
};

StereoSignal Ramp(size_t frames) {
    StereoSignal signal;
    for (size_t i = 0; i < frames; ++i) {
        signal.left.push_back(0.001 * static_cast<double>(i) + 0.1);
        signal.right.push_back(-0.0005 * static_cast<double>(i));
    }
    return signal;
}

TEST(RenderLoop, CutsTheSourceIntoBlocksWithAShorterLastOne) {
    const StereoSignal signal = Ramp(1100);
    CSignalSource source(signal);
    CMixingEffect effect;
    CCollectingSink sink;
    std::vector<uint64_t> progress;
    const RenderStatistics statistics = RunRender(source, effect, sink, 512, RenderPrecision::Double,
                                                  [&](uint64_t done) { progress.push_back(done); });
    EXPECT_EQ(effect.blocks, (std::vector<int>{512, 512, 76}));
    EXPECT_EQ(progress, (std::vector<uint64_t>{512, 1024, 1100}));
    EXPECT_EQ(statistics.frames, 1100u);
    EXPECT_EQ(sink.finishCalls, 1);
    ASSERT_EQ(sink.left.size(), 1100u);
    for (size_t i = 0; i < 1100; i += 99) {
        EXPECT_EQ(sink.left[i], 2 * signal.left[i]) << i;
        EXPECT_EQ(sink.right[i], signal.left[i] - signal.right[i]) << i;
    }
}

TEST(RenderLoop, SinglePrecisionRoundsTheInputToTheNearestFloat) {
    const StereoSignal signal = Ramp(300);
    CSignalSource source(signal);
    CMixingEffect effect;
    CCollectingSink sink;
    RunRender(source, effect, sink, 64, RenderPrecision::Single, nullptr);
    EXPECT_FALSE(effect.sawDouble);
    ASSERT_EQ(sink.left.size(), 300u);
    for (size_t i = 0; i < 300; ++i) {
        const float left = static_cast<float>(signal.left[i]);
        const float right = static_cast<float>(signal.right[i]);
        EXPECT_EQ(sink.left[i], static_cast<double>(2 * left)) << i;
        EXPECT_EQ(sink.right[i], static_cast<double>(left - right)) << i;
    }
    EXPECT_NE(sink.left[1], 2 * signal.left[1]) << "0.101 is not a float: the effect must not see it exactly";
}

TEST(RenderLoop, PeaksCoverBothChannelsAndAnEmptySourceRendersNothing) {
    StereoSignal signal;
    signal.left = {0.1, -0.25, 0.2};
    signal.right = {0.0, 0.3, -0.5};
    CSignalSource source(signal);
    CMixingEffect effect;
    CCollectingSink sink;
    RenderStatistics statistics = RunRender(source, effect, sink, 2, RenderPrecision::Double, nullptr);
    EXPECT_EQ(statistics.peakIn, 0.5);
    EXPECT_EQ(statistics.peakOut, 0.7);  // right out at frame 2: 0.2 - (-0.5)
    EXPECT_GE(statistics.processingSeconds, 0.0);

    const StereoSignal empty;
    CSignalSource emptySource(empty);
    CCollectingSink emptySink;
    CMixingEffect untouched;
    statistics = RunRender(emptySource, untouched, emptySink, 512, RenderPrecision::Single, nullptr);
    EXPECT_EQ(statistics.frames, 0u);
    EXPECT_TRUE(untouched.blocks.empty());
    EXPECT_EQ(emptySink.finishCalls, 1);
    EXPECT_EQ(statistics.peakIn, 0.0);
}

TEST(RenderLoop, MonoWavSourceFeedsBothInputs) {
    using namespace WavBytes;
    std::istringstream in(AsString(SimpleWav(BasicFormat(1, 1, 44100, 16), {0x00, 0x40, 0x00, 0xE0, 0x01, 0x00})));
    CWavReader reader(in);
    CWavSource source(reader);
    CMixingEffect effect;
    CCollectingSink sink;
    RunRender(source, effect, sink, 512, RenderPrecision::Double, nullptr);
    EXPECT_EQ(sink.left, (std::vector<double>{1.0, -0.5, 2.0 / 32768}));
    EXPECT_EQ(sink.right, (std::vector<double>{0.0, 0.0, 0.0}));  // left minus an equal right
}

TEST(RenderLoop, WavSinkWritesStereoWhateverTheFormatSays) {
    std::stringstream out;
    WavFormat format;
    format.encoding = SampleEncoding::Pcm16;
    format.channels = 1;
    {
        CWavSink sink(out, format);
        const double left[2] = {0.5, -1.0}, right[2] = {0.25, 0.0};
        sink.Write(left, right, 2);
        sink.Finish();
    }
    std::istringstream in(out.str());
    CWavReader reader(in);
    EXPECT_EQ(reader.Format().channels, 2);
    EXPECT_EQ(reader.FrameCount(), 2u);
}

TEST(RenderLoop, TextSinkWritesOneExactLinePerFrame) {
    std::ostringstream out;
    CTextSink sink(out);
    const double left[2] = {0.1, -1.0 / 3.0}, right[2] = {0.0, 1e-300};
    sink.Write(left, right, 2);
    sink.Finish();
    const std::string text = out.str();
    std::istringstream lines(text);
    double l0, r0, l1, r1;
    lines >> l0 >> r0 >> l1 >> r1;
    EXPECT_EQ(l0, 0.1);
    EXPECT_EQ(r0, 0.0);
    EXPECT_EQ(l1, -1.0 / 3.0);
    EXPECT_EQ(r1, 1e-300);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(PeakLevel, DecibelsRelativeToFullScale) {
    EXPECT_DOUBLE_EQ(PeakDecibels(1.0), 0.0);
    EXPECT_NEAR(PeakDecibels(0.5), -6.0206, 1e-4);
    EXPECT_TRUE(std::isinf(PeakDecibels(0.0)) && PeakDecibels(0.0) < 0);
}

double Rms(const std::vector<double>& x, size_t start, size_t frames) {
    double sum = 0.0;
    for (size_t i = start; i < start + frames; ++i) sum += x[i] * x[i];
    return std::sqrt(sum / static_cast<double>(frames));
}

TEST(GeneratedSignals, DefaultTestSignalHasItsPartsWhereTheHelpSaysTheyAre) {
    using namespace TestSignalLayout;
    const StereoSignal signal = MakeDefaultTestSignal();
    EXPECT_EQ(signal.sampleRate, 48000u);
    ASSERT_EQ(signal.left.size(), 6u * 48000);
    ASSERT_EQ(signal.right.size(), 6u * 48000);
    EXPECT_EQ(signal.left[4800], 1.0);
    EXPECT_EQ(signal.right[4800], 1.0);
    EXPECT_EQ(Rms(signal.left, 0, 4800) + Rms(signal.left, 4801, kSweepStart - 4801), 0.0);
    // The sweep: -6 dBFS sine, identical in both channels, starting low and ending high.
    const double sweepRms = Rms(signal.left, kSweepStart + kSampleRate, kSampleRate);
    EXPECT_NEAR(sweepRms, 0.5 / std::sqrt(2.0), 0.01);
    double sweepPeak = 0.0;
    for (size_t i = kSweepStart; i < kSweepStart + kSweepFrames; ++i) {
        sweepPeak = std::max(sweepPeak, std::fabs(signal.left[i]));
        ASSERT_EQ(signal.left[i], signal.right[i]);
    }
    EXPECT_NEAR(sweepPeak, 0.5, 1e-3);
    auto zeroCrossings = [&](size_t start, size_t frames) {
        int crossings = 0;
        for (size_t i = start + 1; i < start + frames; ++i) crossings += (signal.left[i - 1] < 0) != (signal.left[i] < 0);
        return crossings;
    };
    const size_t tenth = kSampleRate / 10;
    EXPECT_LT(zeroCrossings(kSweepStart + tenth, tenth), 10);  // tens of hertz
    EXPECT_GT(zeroCrossings(kSweepStart + kSweepFrames - 2 * tenth, tenth), 3000);  // over 15 kHz
    // The noise: -20 dBFS RMS, uncorrelated between the channels, then silence to the end.
    const size_t middle = kNoiseStart + kSampleRate / 10;
    EXPECT_NEAR(Rms(signal.left, middle, kSampleRate / 2), 0.1, 0.005);
    EXPECT_NEAR(Rms(signal.right, middle, kSampleRate / 2), 0.1, 0.005);
    double correlation = 0.0;
    for (size_t i = middle; i < middle + kSampleRate / 2; ++i) correlation += signal.left[i] * signal.right[i];
    EXPECT_LT(std::fabs(correlation / (kSampleRate / 2)), 0.001);
    EXPECT_EQ(Rms(signal.left, kNoiseStart + kNoiseFrames, kFrames - kNoiseStart - kNoiseFrames), 0.0);
}

TEST(GeneratedSignals, DefaultTestSignalIsTheSameOnEveryCallAndStaysBelowFullScale) {
    const StereoSignal first = MakeDefaultTestSignal();
    const StereoSignal second = MakeDefaultTestSignal();
    EXPECT_EQ(first.left, second.left);
    EXPECT_EQ(first.right, second.right);
    for (double x : first.left) ASSERT_LE(std::fabs(x), 1.0);
    // Fades: the first and last samples of the sweep and the noise are (nearly) silent.
    EXPECT_LT(std::fabs(first.left[TestSignalLayout::kSweepStart + 1]), 1e-4);
    EXPECT_LT(std::fabs(first.right[TestSignalLayout::kNoiseStart + TestSignalLayout::kNoiseFrames - 1]), 1e-5);
}

TEST(GeneratedSignals, UnitImpulse) {
    const StereoSignal impulse = MakeUnitImpulse(5, 44100);
    EXPECT_EQ(impulse.sampleRate, 44100u);
    EXPECT_EQ(impulse.left, (std::vector<double>{1, 0, 0, 0, 0}));
    EXPECT_EQ(impulse.right, impulse.left);
}

}  // namespace

namespace {

TEST(RenderSummary, NamesFramesDurationSpeedAndPeaks) {
    RenderStatistics statistics;
    statistics.frames = 96000;
    statistics.processingSeconds = 0.004;
    statistics.peakIn = 1.0;
    statistics.peakOut = 0.5;
    EXPECT_EQ(DescribeRender(statistics, 48000),
              "96000 frames, 2.000 s of audio, 0.004 s in the effect (500.0x real time), peak in 0.00 dBFS, out -6.02 dBFS");
    statistics.peakIn = 0.0;
    statistics.processingSeconds = 0.0;
    EXPECT_EQ(DescribeRender(statistics, 44100),
              "96000 frames, 2.177 s of audio, 0.000 s in the effect (no time), peak in -inf dBFS, out -6.02 dBFS");
}

}  // namespace
