// The command line of the render host.

#include <gtest/gtest.h>

#include "tools/render/RenderOptions.h"

namespace {

RenderOptions Parse(std::initializer_list<std::string> args) { return ParseRenderOptions(args); }

std::string UsageErrorOf(std::initializer_list<std::string> args) {
    try {
        ParseRenderOptions(args);
    } catch (const CUsageError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(RenderOptions, DefaultsForAPlainRender) {
    const RenderOptions options = Parse({"in.wav", "out.wav"});
    EXPECT_FALSE(options.showHelp);
    EXPECT_EQ(options.input, RenderInput::WavFile);
    EXPECT_EQ(options.inputPath, "in.wav");
    EXPECT_EQ(options.outputPath, "out.wav");
    EXPECT_EQ(options.pluginPath, "");
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.precision, RenderPrecision::Single);
    EXPECT_FALSE(options.setParameter);
    EXPECT_FALSE(options.setEncoding);
    EXPECT_FALSE(options.WritesText());
}

TEST(RenderOptions, EveryOptionWithAValue) {
    const RenderOptions options = Parse({"--plugin", "C:\\fx\\other.dll", "--block", "300", "--precision", "64",
                                         "--format", "pcm24", "a.wav", "b.wav"});
    EXPECT_EQ(options.pluginPath, "C:\\fx\\other.dll");
    EXPECT_EQ(options.blockSize, 300);
    EXPECT_EQ(options.precision, RenderPrecision::Double);
    EXPECT_TRUE(options.setEncoding);
    EXPECT_EQ(options.encoding, SampleEncoding::Pcm24);
}

TEST(RenderOptions, FactorsMapOntoTheParameterSteps) {
    const std::pair<const char*, float> factors[] = {
        {"2x", 0.0f}, {"4x", 0.25f}, {"8x", 0.5f}, {"16x", 0.75f}, {"32x", 1.0f}, {"16", 0.75f}};
    for (const auto& factor : factors) {
        const RenderOptions options = Parse({"--factor", factor.first, "a.wav", "b.wav"});
        EXPECT_TRUE(options.setParameter);
        EXPECT_EQ(options.parameter, factor.second) << factor.first;
    }
    const RenderOptions param = Parse({"a.wav", "--param", "0.3", "b.wav"});
    EXPECT_TRUE(param.setParameter);
    EXPECT_EQ(param.parameter, 0.3f);
}

TEST(RenderOptions, GeneratedInputsTakeOnlyAnOutput) {
    const RenderOptions signal = Parse({"--generate-test-signal", "out/test.wav"});
    EXPECT_EQ(signal.input, RenderInput::TestSignal);
    EXPECT_EQ(signal.outputPath, "out/test.wav");
    const RenderOptions impulse = Parse({"--impulse-response", "4096", "--factor", "8x", "ir.TXT"});
    EXPECT_EQ(impulse.input, RenderInput::UnitImpulse);
    EXPECT_EQ(impulse.impulseFrames, 4096u);
    EXPECT_TRUE(impulse.WritesText());
    EXPECT_EQ(Parse({"--", "-odd name.wav", "b.txt"}).inputPath, "-odd name.wav");
}

TEST(RenderOptions, HelpWinsOverEverythingElse) {
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"-h", "--factor", "2x"}).showHelp);
    const std::string help = RenderHelpText("velvetine-render");
    for (const char* option : {"--plugin", "--factor", "--param", "--block", "--precision", "--format",
                               "--generate-test-signal", "--impulse-response", "--help", "mono"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(RenderOptions, NonsenseIsRefusedWithAReason) {
    EXPECT_EQ(UsageErrorOf({"in.wav"}), "expected an input and an output file (see --help)");
    EXPECT_EQ(UsageErrorOf({"a", "b", "c"}), "expected an input and an output file (see --help)");
    EXPECT_EQ(UsageErrorOf({"--generate-test-signal", "a.wav", "b.wav"}),
              "expected only an output file with a generated input (see --help)");
    EXPECT_EQ(UsageErrorOf({"--block"}), "--block needs a value");
    EXPECT_EQ(UsageErrorOf({"--block", "0", "a", "b"}), "--block expects a whole number from 1 to 65536, not \"0\"");
    EXPECT_EQ(UsageErrorOf({"--block", "12k", "a", "b"}),
              "--block expects a whole number from 1 to 65536, not \"12k\"");
    EXPECT_EQ(UsageErrorOf({"--precision", "16", "a", "b"}), "--precision expects 32 or 64, not \"16\"");
    EXPECT_EQ(UsageErrorOf({"--factor", "3x", "a", "b"}), "--factor expects 2x, 4x, 8x, 16x or 32x, not \"3x\"");
    EXPECT_EQ(UsageErrorOf({"--param", "1.5", "a", "b"}), "--param expects a value from 0 to 1");
    EXPECT_EQ(UsageErrorOf({"--param", "nan", "a", "b"}), "--param expects a number, not \"nan\"");
    EXPECT_EQ(UsageErrorOf({"--param", "0.5", "--factor", "2x", "a", "b"}), "use either --factor or --param, not both");
    EXPECT_EQ(UsageErrorOf({"--format", "mp3", "a", "b"}),
              "--format expects pcm16, pcm24, float32 or float64, not \"mp3\"");
    EXPECT_EQ(UsageErrorOf({"--format", "pcm16", "a.wav", "b.txt"}), "--format applies to WAV output only");
    EXPECT_EQ(UsageErrorOf({"--impulse-response", "-3", "b.txt"}),
              "--impulse-response expects a whole number from 1 to 16777216, not \"-3\"");
    EXPECT_EQ(UsageErrorOf({"--generate-test-signal", "--impulse-response", "8", "b.txt"}),
              "use either --generate-test-signal or --impulse-response, not both");
    EXPECT_EQ(UsageErrorOf({"--gain", "3", "a", "b"}), "unknown option --gain (see --help)");
}

}  // namespace
