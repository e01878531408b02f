// velvetine-render run as a program under Wine: its renders must equal processing the same
// samples through the same DLL in this process, whatever the encoding, precision, block
// size and factor, and it must prepare any plug-in the way hosts do.

#include <random>

#include "RenderHostFixture.h"
#include "tests/host/BuiltPlugin.h"
#include "host/PluginInstance.h"
#include "tools/render/SampleConversion.h"
#include "tools/render/TestSignal.h"

namespace {

// The reference: the built DLL driven block by block through the test host library.
template <typename Sample>
StereoSignal ProcessInProcess(const StereoSignal& input, float parameter, int blockSize) {
    ProgramHost().SetSampleRate(input.sampleRate);
    ProgramHost().SetBlockSize(blockSize);
    PluginInstance instance(BuiltPlugin().Entry(), ProgramHost());
    instance.Start(static_cast<float>(input.sampleRate), blockSize);
    instance.SetParameter(0, parameter);
    StereoSignal output;
    output.sampleRate = input.sampleRate;
    for (size_t start = 0; start < input.left.size(); start += blockSize) {
        const size_t frames = std::min<size_t>(blockSize, input.left.size() - start);
        StereoBlock<Sample> block(static_cast<int32_t>(frames));
        for (size_t i = 0; i < frames; ++i) {
            block.in[0][i] = static_cast<Sample>(input.left[start + i]);
            block.in[1][i] = static_cast<Sample>(input.right[start + i]);
        }
        instance.Process(block);
        output.left.insert(output.left.end(), block.out[0].begin(), block.out[0].end());
        output.right.insert(output.right.end(), block.out[1].begin(), block.out[1].end());
    }
    return output;
}

// Values the given encoding holds exactly, so that reading the file gives back the very
// samples the reference processes.
StereoSignal RandomSignal(size_t frames, uint32_t sampleRate, SampleEncoding encoding, uint32_t seed) {
    std::mt19937 engine(seed);
    auto next = [&] {
        const double x = (static_cast<double>(engine()) / 4294967296.0 - 0.5) * 1.8;
        if (encoding == SampleEncoding::Float32) return static_cast<double>(static_cast<float>(x));
        if (encoding == SampleEncoding::Float64) return x;
        const int bits = 8 * BytesPerSample(encoding);
        return PcmToSample(SampleToPcm(x, bits), bits);
    };
    StereoSignal signal;
    signal.sampleRate = sampleRate;
    for (size_t i = 0; i < frames; ++i) {
        signal.left.push_back(next());
        signal.right.push_back(next());
    }
    return signal;
}

WavFormat Format(SampleEncoding encoding, int channels, uint32_t sampleRate) {
    WavFormat format;
    format.encoding = encoding;
    format.channels = channels;
    format.sampleRate = sampleRate;
    return format;
}

void ExpectSamplesEqual(const std::vector<double>& actual, const std::vector<double>& expected, const char* what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    size_t differences = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i] && ++differences <= 3) {
            ADD_FAILURE() << what << " frame " << i << ": " << actual[i] << " instead of " << expected[i];
        }
    }
    EXPECT_EQ(differences, 0u) << what;
}

class RenderHost : public RenderProgramTest {
protected:
    void SetUp() override { ASSERT_PLUGIN_LOADED(); }
};

TEST_F(RenderHost, Float32RenderEqualsTheSameProcessingInProcess) {
    const StereoSignal input = RandomSignal(5000, 44100, SampleEncoding::Float32, 1);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Float32, 2, 44100), input.left, input.right);
    const ProgramRun run = Render({"--factor", "4x", "--block", "300", In("in.wav"), In("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(run.standardOutput.rfind("velvetine-render: 5000 frames, 0.113 s of audio, ", 0), 0u) << run.standardOutput;

    const WavContents output = ReadWav(folder, "out.wav");
    EXPECT_EQ(output.format.encoding, SampleEncoding::Float32);
    EXPECT_EQ(output.format.channels, 2);
    EXPECT_EQ(output.format.sampleRate, 44100u);
    const StereoSignal expected = ProcessInProcess<float>(input, 0.25f, 300);
    ExpectSamplesEqual(output.channels[0], expected.left, "left");
    ExpectSamplesEqual(output.channels[1], expected.right, "right");
    EXPECT_NE(output.channels[0], input.left) << "the 4x filter must change the signal";
}

TEST_F(RenderHost, DoublePrecisionRenderEqualsProcessDoubleReplacingInProcess) {
    const StereoSignal input = RandomSignal(3000, 96000, SampleEncoding::Float64, 2);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Float64, 2, 96000), input.left, input.right);
    const ProgramRun run = Render({"--precision", "64", "--factor", "32x", "--block", "64", In("in.wav"), In("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;

    const WavContents output = ReadWav(folder, "out.wav");
    EXPECT_EQ(output.format.encoding, SampleEncoding::Float64);
    const StereoSignal expected = ProcessInProcess<double>(input, 1.0f, 64);
    ExpectSamplesEqual(output.channels[0], expected.left, "left");
    ExpectSamplesEqual(output.channels[1], expected.right, "right");
    // Narrowed to 32 bits anywhere on the way, the samples would differ from these.
    const StereoSignal narrowed = ProcessInProcess<float>(input, 1.0f, 64);
    EXPECT_NE(output.channels[0], narrowed.left);
}

// The CLAP library and the VST3 bundle are the same filter behind other bindings: through
// them the render host must write the VST 2.x DLL's very bits, at every factor and in both
// precisions, with the parameter set as each standard's hosts set it.
TEST_F(RenderHost, ClapAndVst3RendersEqualTheVst2RenderAtEveryFactorInBothPrecisions) {
    const StereoSignal input = RandomSignal(2000, 48000, SampleEncoding::Float64, 3);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Float64, 2, 48000), input.left, input.right);
    const std::string plugins[] = {WindowsPath(VELVETINE_PLUGIN_PATH), WindowsPath(VELVETINE_CLAP_PATH),
                                   WindowsPath(VELVETINE_VST3_BUNDLE)};
    for (const char* precision : {"32", "64"}) {
        for (const char* factor : {"2x", "4x", "8x", "16x", "32x"}) {
            SCOPED_TRACE(std::string(precision) + "-bit, " + factor + ", noise seed 3");
            std::vector<WavContents> outputs;
            for (const std::string& plugin : plugins) {
                const ProgramRun run = Render({"--plugin", plugin, "--factor", factor, "--precision", precision,
                                               "--block", "300", "--format", "float64", In("in.wav"), In("out.wav")});
                ASSERT_EQ(run.exitCode, 0) << plugin << ": " << run.standardError;
                outputs.push_back(ReadWav(folder, "out.wav"));
            }
            for (size_t i = 1; i < outputs.size(); ++i) {
                SCOPED_TRACE(plugins[i]);
                ExpectSamplesEqual(outputs[i].channels[0], outputs[0].channels[0], "left");
                ExpectSamplesEqual(outputs[i].channels[1], outputs[0].channels[1], "right");
            }
            EXPECT_NE(outputs[0].channels[0], input.left) << "the filter must change the signal";
        }
    }
}

TEST_F(RenderHost, MonoFileRendersAsDualMonoRoundedToItsOwnEncoding) {
    StereoSignal input = RandomSignal(2000, 32000, SampleEncoding::Pcm16, 3);
    input.right = input.left;
    WriteWav(folder, "mono.wav", Format(SampleEncoding::Pcm16, 1, 32000), input.left);
    const ProgramRun run = Render({"--factor", "16x", In("mono.wav"), In("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;

    const WavContents output = ReadWav(folder, "out.wav");
    EXPECT_EQ(output.format.encoding, SampleEncoding::Pcm16);
    EXPECT_EQ(output.format.channels, 2);
    StereoSignal expected = ProcessInProcess<float>(input, 0.75f, 512);
    for (double& x : expected.left) x = PcmToSample(SampleToPcm(x, 16), 16);
    ExpectSamplesEqual(output.channels[0], expected.left, "left");
    ExpectSamplesEqual(output.channels[1], expected.left, "right");
}

TEST_F(RenderHost, FormatOptionChoosesTheOutputEncoding) {
    const StereoSignal input = RandomSignal(700, 48000, SampleEncoding::Float32, 4);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Float32, 2, 48000), input.left, input.right);
    ASSERT_EQ(Render({"--format", "pcm24", "--factor", "8x", In("in.wav"), In("out.wav")}).exitCode, 0);
    const WavContents output = ReadWav(folder, "out.wav");
    EXPECT_EQ(output.format.encoding, SampleEncoding::Pcm24);
    StereoSignal expected = ProcessInProcess<float>(input, 0.5f, 512);
    for (double& x : expected.right) x = PcmToSample(SampleToPcm(x, 24), 24);
    ExpectSamplesEqual(output.channels[1], expected.right, "right");
}

TEST_F(RenderHost, GeneratedTestSignalAndImpulseResponseNeedNoInputFile) {
    ProgramRun run = Render({"--generate-test-signal", In("signal.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const WavContents signal = ReadWav(folder, "signal.wav");
    EXPECT_EQ(signal.format.encoding, SampleEncoding::Float32);
    EXPECT_EQ(signal.format.sampleRate, 48000u);
    ASSERT_EQ(signal.channels[0].size(), TestSignalLayout::kFrames);
    const StereoSignal expected = ProcessInProcess<float>(MakeDefaultTestSignal(), 0.0f, 512);
    ExpectSamplesEqual(signal.channels[0], expected.left, "test signal left");
    ExpectSamplesEqual(signal.channels[1], expected.right, "test signal right");

    run = Render({"--impulse-response", "40", "--factor", "8x", "--precision", "64", In("ir.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    std::istringstream lines(folder.ReadFile("ir.txt"));
    const StereoSignal response = ProcessInProcess<double>(MakeUnitImpulse(40, 48000), 0.5f, 512);
    for (size_t i = 0; i < 40; ++i) {
        double left = -9, right = -9;
        lines >> left >> right;
        EXPECT_EQ(left, response.left[i]) << i;
        EXPECT_EQ(right, response.right[i]) << i;
    }
    EXPECT_NE(response.left[16], 0.0);  // a 17-tap response
    EXPECT_EQ(response.left[17], 0.0);
}

TEST_F(RenderHost, ReplacesAnExistingOutputAndLeavesNothingElseBehind) {
    const StereoSignal input = RandomSignal(100, 44100, SampleEncoding::Float32, 5);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Float32, 2, 44100), input.left, input.right);
    folder.WriteFile("out.wav", "an older render");
    ASSERT_EQ(Render({In("in.wav"), In("out.wav")}).exitCode, 0);
    EXPECT_EQ(ReadWav(folder, "out.wav").channels[0].size(), 100u);
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST_F(RenderHost, DataChunkCutShortIsRenderedToItsLastWholeFrameWithAWarning) {
    const StereoSignal input = RandomSignal(100, 44100, SampleEncoding::Pcm16, 6);
    WriteWav(folder, "whole.wav", Format(SampleEncoding::Pcm16, 2, 44100), input.left, input.right);
    const std::string whole = folder.ReadFile("whole.wav");
    folder.WriteFile("cut.wav", whole.substr(0, whole.size() - 6));  // 98 frames and a half
    const ProgramRun run = Render({In("cut.wav"), In("out.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_EQ(run.standardError, "velvetine-render: warning: " + In("cut.wav") +
                                     ": the data chunk is cut short: 394 of 400 bytes present; processing the 98 "
                                     "whole frames present\n");
    EXPECT_EQ(ReadWav(folder, "out.wav").channels[0].size(), 98u);
}

// The probe effect reports in its right output whether it was opened, told the rate the
// host answered at creation, told a block size at least as large as every block, and
// resumed before processing; its left output is the left input times twice parameter 0.
TEST_F(RenderHost, AnyStereoEffectIsPreparedAsHostsDoInBothPrecisions) {
    const StereoSignal input = RandomSignal(250, 22050, SampleEncoding::Pcm24, 7);
    WriteWav(folder, "in.wav", Format(SampleEncoding::Pcm24, 1, 22050), input.left);
    for (const char* precision : {"32", "64"}) {
        const ProgramRun run = Render({"--plugin", FakeEffect("probe"), "--param", "0.75", "--block", "100",
                                       "--precision", precision, "--format", "float64", In("in.wav"), In("out.wav")});
        ASSERT_EQ(run.exitCode, 0) << run.standardError;
        const WavContents output = ReadWav(folder, "out.wav");
        ASSERT_EQ(output.channels[1].size(), 250u);
        const bool single = std::string(precision) == "32";
        const double report = single ? static_cast<float>(22050.0f / 1e6) : 22050.0 / 1e6;
        for (size_t i = 0; i < 250; ++i) {
            ASSERT_EQ(output.channels[1][i], report) << "precision " << precision << " frame " << i;
            const double expected = single ? static_cast<double>(static_cast<float>(input.left[i]) * 1.5f)
                                           : input.left[i] * 1.5;
            ASSERT_EQ(output.channels[0][i], expected) << "precision " << precision << " frame " << i;
        }
    }
}

TEST_F(RenderHost, HelpAndNonsenseOnTheCommandLine) {
    ProgramRun run = Render({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.standardOutput.rfind("Usage: velvetine-render [options] INPUT.wav OUTPUT.wav\n", 0), 0u);
    run = Render({});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.standardError, "velvetine-render: expected an input and an output file (see --help)\n");
    EXPECT_EQ(run.standardOutput, "");
}

}  // namespace
