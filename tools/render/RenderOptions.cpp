#include "tools/render/RenderOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "effect/ControlDescription.h"

namespace {

[[noreturn]] void Usage(const std::string& message) { throw CUsageError(message); }

double ParseNumber(const std::string& option, const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || value != value) {
        Usage(option + " expects a number, not \"" + text + "\"");
    }
    return value;
}

int64_t ParseWhole(const std::string& option, const std::string& text, int64_t lowest, int64_t highest) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < lowest || value > highest) {
        Usage(option + " expects a whole number from " + std::to_string(lowest) + " to " +
              std::to_string(highest) + ", not \"" + text + "\"");
    }
    return value;
}

// The factor's step of the plug-in's "Oversampling" parameter, as its value.
float ParseFactor(const std::string& text) {
    int step = 0;
    if (OversamplingControl::StepOfText(text.c_str(), &step))
        return static_cast<float>(OversamplingControl::ValueOfStep(step));
    std::string offered;
    for (int i = 0; i < OversamplingControl::kStepCount; ++i)
        offered += std::string(i == 0 ? "" : i + 1 < OversamplingControl::kStepCount ? ", " : " or ") +
                   OversamplingControl::TextOfStep(i);
    Usage("--factor expects " + offered + ", not \"" + text + "\"");
}

class CArguments {
public:
    explicit CArguments(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return next_ >= args_.size(); }
    const std::string& Take() { return args_[next_++]; }
    const std::string& ValueOf(const std::string& option) {
        if (Done()) Usage(option + " needs a value");
        return Take();
    }

private:
    const std::vector<std::string>& args_;
    size_t next_ = 0;
};

void ApplyOption(const std::string& option, CArguments& arguments, RenderOptions& options, bool& sawFactor,
                 bool& sawParam) {
    if (option == "--help" || option == "-h") {
        options.showHelp = true;
    } else if (option == "--plugin") {
        options.pluginPath = arguments.ValueOf(option);
    } else if (option == "--block") {
        options.blockSize = static_cast<int>(ParseWhole(option, arguments.ValueOf(option), 1, kLargestBlock));
    } else if (option == "--precision") {
        const std::string& value = arguments.ValueOf(option);
        if (value != "32" && value != "64") Usage("--precision expects 32 or 64, not \"" + value + "\"");
        options.precision = value == "64" ? RenderPrecision::Double : RenderPrecision::Single;
    } else if (option == "--factor") {
        options.parameter = ParseFactor(arguments.ValueOf(option));
        options.setParameter = sawFactor = true;
    } else if (option == "--param") {
        const double value = ParseNumber(option, arguments.ValueOf(option));
        if (value < 0.0 || value > 1.0) Usage("--param expects a value from 0 to 1");
        options.parameter = static_cast<float>(value);
        options.setParameter = sawParam = true;
    } else if (option == "--format") {
        const std::string& value = arguments.ValueOf(option);
        if (!ParseEncodingName(value, options.encoding) || value == "pcm8" || value == "pcm32") {
            Usage("--format expects pcm16, pcm24, float32 or float64, not \"" + value + "\"");
        }
        options.setEncoding = true;
    } else if (option == "--generate-test-signal") {
        options.input = RenderInput::TestSignal;
    } else if (option == "--impulse-response") {
        options.input = RenderInput::UnitImpulse;
        options.impulseFrames =
            static_cast<uint64_t>(ParseWhole(option, arguments.ValueOf(option), 1, kLargestImpulse));
    } else {
        Usage("unknown option " + option + " (see --help)");
    }
}

void AssignFiles(const std::vector<std::string>& files, RenderOptions& options) {
    const size_t wanted = options.input == RenderInput::WavFile ? 2 : 1;
    if (files.size() != wanted) {
        Usage(wanted == 2 ? "expected an input and an output file (see --help)"
                          : "expected only an output file with a generated input (see --help)");
    }
    if (wanted == 2) options.inputPath = files[0];
    options.outputPath = files.back();
}

}  // namespace

bool RenderOptions::WritesText() const {
    if (outputPath.size() < 4) return false;
    std::string extension = outputPath.substr(outputPath.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".txt";
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    std::vector<std::string> files;
    bool sawFactor = false, sawParam = false, onlyFilesFollow = false;
    bool sawTestSignal = false, sawImpulse = false;
    CArguments arguments(args);
    while (!arguments.Done()) {
        const std::string& argument = arguments.Take();
        if (onlyFilesFollow || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
        } else if (argument == "--") {
            onlyFilesFollow = true;
        } else {
            ApplyOption(argument, arguments, options, sawFactor, sawParam);
            sawTestSignal = sawTestSignal || argument == "--generate-test-signal";
            sawImpulse = sawImpulse || argument == "--impulse-response";
        }
    }
    if (options.showHelp) return options;
    if (sawFactor && sawParam) Usage("use either --factor or --param, not both");
    if (sawTestSignal && sawImpulse) Usage("use either --generate-test-signal or --impulse-response, not both");
    AssignFiles(files, options);
    if (options.setEncoding && options.WritesText()) Usage("--format applies to WAV output only");
    return options;
}

std::string RenderHelpText(const std::string& programName) {
    return "Usage: " + programName + R"( [options] INPUT.wav OUTPUT.wav
       )" + programName + R"( [options] --generate-test-signal OUTPUT.wav
       )" + programName + R"( [options] --impulse-response N OUTPUT.txt|OUTPUT.wav

Renders a WAV file through a stereo effect, loaded the way hosts of its standard load
it: by default QMVelvetine.dll (QMVelvetine.so on Linux) from this program's folder.

Input: PCM with 8, 16, 24 or 32 bits, IEEE float with 32 or 64 bits (also inside
WAVE_FORMAT_EXTENSIBLE), mono or stereo, any sample rate. The effect is stereo, so the
output is always stereo: a mono input is fed to both inputs and comes out as two channels.
The effect is told the file's sample rate and the block size before processing.

Options:
  --plugin PATH            render through another stereo (2 in, 2 out) effect: a VST 2.x
                           library, a CLAP library (a .clap file), a VST3 bundle (a
                           .vst3 folder), or on Linux also an LV2 bundle (a .lv2 folder)
  --factor 2x|4x|8x|16x|32x
                           set the "Oversampling" parameter (parameter 0) to that factor
  --param VALUE            set parameter 0 to VALUE, from 0 to 1 (not with --factor);
                           without either, the effect keeps its own initial value
  --block N                frames per processing call, 1 to 65536 (default 512)
  --precision 32|64        32-bit (processReplacing, default) or 64-bit samples
                           (processDoubleReplacing)
  --format pcm16|pcm24|float32|float64
                           output encoding (default: the input's own; float32 for the
                           generated inputs, float64 for --impulse-response). Integer
                           output is rounded to the nearest code, halves away from zero,
                           and clipped to full scale
  --generate-test-signal   no input file: render a built-in 6 s test signal at 48 kHz
                           (a unit impulse at 0.1 s, a 20 Hz to 20 kHz sine sweep at
                           -6 dBFS from 0.5 s, a burst of white noise at -20 dBFS RMS
                           from 5 s)
  --impulse-response N     no input file: render N frames of the response to a unit
                           impulse (both channels) at 48 kHz; an output ending in .txt
                           gets one "left right" line per frame instead of a WAV file
  -h, --help               show this text

The output appears only when the render succeeded: it is written under a temporary name
and renamed at the end. A data chunk cut short (an interrupted recording) is rendered up to
its last whole frame, with a warning. While a long file renders, progress is shown if
standard error is a terminal. The last line sums up: frames, seconds of audio, the time
spent inside the effect, the real-time factor and the peak levels in and out (dBFS).

Exit status: 0 on success, 1 on any failure, 2 for a command line that makes no sense.
)";
}
