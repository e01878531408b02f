// velvetine-render refusing what it cannot render: one line on standard error naming the
// file and the problem, exit status 1, and no output file, partial or otherwise.

#include "RenderHostFixture.h"
#include <algorithm>

#include "WavBytes.h"
#include "tools/render/TestSignal.h"

namespace {

using namespace WavBytes;

struct BadInput {
    const char* name;
    Bytes image;
    const char* problem;
};

void PrintTo(const BadInput& value, std::ostream* out) { *out << value.name; }

const Bytes kStereo16 = BasicFormat(1, 2, 44100, 16);
const Bytes kSamples = Bytes(64, 0x22);
const Bytes kWhole = SimpleWav(kStereo16, kSamples);

class RenderFailure : public RenderProgramTest {
protected:
    // Runs a render that must fail and checks everything a failure promises.
    void ExpectFailure(const std::vector<std::string>& arguments, const std::string& expectedError) {
        const std::vector<std::string> before = folder.Files();
        const ProgramRun run = Render(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.standardError, "velvetine-render: " + expectedError + "\n");
        EXPECT_EQ(run.standardOutput, "");
        EXPECT_EQ(folder.Files(), before) << "a failed render must leave no file behind";
    }
};

class BadInputFile : public RenderFailure, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadInputFile, IsRefusedByName) {
    folder.WriteFile("in.wav", AsString(GetParam().image));
    ExpectFailure({In("in.wav"), In("out.wav")}, In("in.wav") + ": " + GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInputFile,
    ::testing::Values(
        BadInput{"Empty", {}, "the file is empty"},
        BadInput{"NotRiffWave", Bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 1, 0}), "not a RIFF/WAVE file"},
        BadInput{"HeaderCutOff", Bytes(kWhole.begin(), kWhole.begin() + 38), "the header is cut off before the data chunk"},
        BadInput{"FormatTooShort", SimpleWav(Bytes(kStereo16.begin(), kStereo16.begin() + 14), kSamples),
                 "format chunk too short for PCM: 14 bytes, needs 16"},
        BadInput{"BlockAlignment", SimpleWav(BasicFormat(1, 2, 44100, 24, 4), kSamples),
                 "block alignment 4 does not match 2 channel(s) of 24 bits (expected 6)"},
        BadInput{"Adpcm", SimpleWav(Join({BasicFormat(2, 1, 44100, 4, 256), Little16(32), Bytes(32)}), kSamples),
                 "unsupported encoding: Microsoft ADPCM (format tag 0x0002)"},
        BadInput{"ALaw", SimpleWav(Join({BasicFormat(6, 1, 8000, 8), Little16(0)}), kSamples),
                 "unsupported encoding: A-law (format tag 0x0006)"},
        BadInput{"MuLaw", SimpleWav(Join({BasicFormat(7, 2, 8000, 8), Little16(0)}), kSamples),
                 "unsupported encoding: mu-law (format tag 0x0007)"},
        BadInput{"FourChannels", SimpleWav(BasicFormat(1, 4, 44100, 16), kSamples),
                 "4 channels: only mono and stereo files can be rendered"},
        BadInput{"ZeroSampleRate", SimpleWav(BasicFormat(3, 2, 0, 32), kSamples), "the sample rate is 0"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST_F(RenderFailure, MissingInputFile) {
    ExpectFailure({In("nowhere.wav"), In("out.wav")}, In("nowhere.wav") + ": cannot be opened: No such file or directory");
}

TEST_F(RenderFailure, FolderAsInput) {
    // Given with its trailing backslash, as shells complete folder names.
    ExpectFailure({folder.Path(""), In("out.wav")}, folder.Path("") + ": is a folder, not a WAV file");
}

TEST_F(RenderFailure, FailedRenderKeepsAnOlderOutput) {
    folder.WriteFile("in.wav", "RIFF");
    folder.WriteFile("out.wav", "an older render");
    ExpectFailure({In("in.wav"), In("out.wav")}, In("in.wav") + ": not a RIFF/WAVE file");
    EXPECT_EQ(folder.ReadFile("out.wav"), "an older render");
}

TEST_F(RenderFailure, OutputInAFolderThatDoesNotExist) {
    ExpectFailure({"--generate-test-signal", In("missing\\out.wav")},
                  In("missing\\out.wav") + ": cannot be created: No such file or directory");
}

struct BadPlugin {
    const char* name;
    std::vector<std::string> options;
    std::string path;
    std::string problem;
};

void PrintTo(const BadPlugin& value, std::ostream* out) { *out << value.name; }

class BadPluginFile : public RenderFailure, public ::testing::WithParamInterface<BadPlugin> {};

TEST_P(BadPluginFile, IsRefusedByName) {
    const StereoSignal silence = MakeUnitImpulse(10, 44100);
    WavFormat format;
    folder.WriteFile("not-a-dll.dll", "MZ but nothing more");
    WriteWav(folder, "in.wav", format, silence.left, silence.right);
    const std::string plugin = GetParam().path.empty() ? In("not-a-dll.dll") : GetParam().path;
    std::vector<std::string> arguments = {"--plugin", plugin};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    arguments.insert(arguments.end(), {In("in.wav"), In("out.wav")});
    const std::vector<std::string> before = folder.Files();
    const ProgramRun run = Render(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.standardError.rfind("velvetine-render: " + plugin + ": " + GetParam().problem, 0), 0u)
        << run.standardError;
    EXPECT_EQ(std::count(run.standardError.begin(), run.standardError.end(), '\n'), 1) << run.standardError;
    EXPECT_EQ(folder.Files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Plugins, BadPluginFile,
    ::testing::Values(
        BadPlugin{"Missing", {}, FakeEffect("nonexistent"), "no such file"},
        BadPlugin{"NotADll", {}, "", "cannot be loaded: "},
        BadPlugin{"NoEntryPoint", {}, FakeEffect("no_entry"), "exports no VSTPluginMain: not a VST 2.x plug-in"},
        BadPlugin{"NullEffect", {}, FakeEffect("null"), "VSTPluginMain returned no effect"},
        BadPlugin{"BadMagic", {}, FakeEffect("bad_magic"),
                  "VSTPluginMain returned something that is not a VST 2.x effect record"},
        BadPlugin{"MonoEffect", {}, FakeEffect("mono"),
                  "is not a stereo effect: 1 inputs and 1 outputs, the render needs 2 and 2"},
        BadPlugin{"NoDoublePrecision", {"--precision", "64"}, FakeEffect("single_only"),
                  "cannot process 64-bit samples (no processDoubleReplacing); try --precision 32"}),
    [](const ::testing::TestParamInfo<BadPlugin>& info) { return info.param.name; });

}  // namespace
