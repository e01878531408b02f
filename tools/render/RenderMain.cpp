// velvetine-render: renders a WAV file (or a generated signal) through a plug-in effect of
// any standard the host library has a driver for: a VST 2.x library (a DLL on Windows, a
// shared object on Linux), a CLAP library, a VST3 bundle or, natively, an LV2 bundle.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/PluginEffect.h"
#include "tools/render/RenderFailure.h"
#include "tools/render/RenderLoop.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/RenderSystem.h"
#include "tools/render/StereoStreams.h"
#include "tools/render/TestSignal.h"
#include "tools/render/WavError.h"
#include "tools/render/WavReader.h"

namespace {

const char kProgram[] = "velvetine-render";

// The output is written under a name of its own and renamed over the real one only once
// it is complete, so a failed render never leaves a half-written file where the user
// expects a result (nor destroys a previous one).
class CTemporaryOutput {
public:
    explicit CTemporaryOutput(const std::string& path)
        : path_(path), temporary_(path + ".partial-" + std::to_string(ProcessId())) {}

    ~CTemporaryOutput() {
        if (committed_) return;
        stream_.close();
        RemoveFile(temporary_);
    }

    std::ofstream& Open() {
        stream_.open(temporary_, std::ios::binary | std::ios::trunc);
        if (!stream_) throw CRenderFailure(path_, std::string("cannot be created: ") + std::strerror(errno));
        return stream_;
    }

    void Commit() {
        stream_.close();
        if (stream_.fail()) throw CRenderFailure(path_, "write error while closing the file");
        std::string problem;
        if (!RenameOver(temporary_, path_, problem)) {
            throw CRenderFailure(path_, "cannot replace it with the finished render: " + problem);
        }
        committed_ = true;
    }

private:
    std::string path_;
    std::string temporary_;
    std::ofstream stream_;
    bool committed_ = false;
};

// A percentage on standard error, only when that is a terminal and only once a render has
// run long enough for anyone to wait for it.
class CProgressDisplay {
public:
    CProgressDisplay(uint64_t totalFrames)
        : total_(totalFrames), enabled_(totalFrames > 0 && ErrorOutputIsTerminal()), start_(Clock::now()),
          lastShown_(start_) {}

    ~CProgressDisplay() {
        if (shown_) std::fprintf(stderr, "\r%*s\r", 40, "");
    }

    void Update(uint64_t framesDone) {
        if (!enabled_) return;
        const Clock::time_point now = Clock::now();
        if (now - start_ < kQuietStart || now - lastShown_ < kInterval) return;
        lastShown_ = now;
        shown_ = true;
        std::fprintf(stderr, "\r%s: %3d%%", kProgram, static_cast<int>(100 * framesDone / total_));
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kQuietStart{500};
    static constexpr std::chrono::milliseconds kInterval{100};
    uint64_t total_;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_;
    Clock::time_point lastShown_;
};

// The input side of a render: a WAV file, or a signal made here.
struct RenderInputStreams {
    std::ifstream file;
    std::unique_ptr<CWavReader> reader;
    StereoSignal signal;
    std::unique_ptr<CStereoSource> source;
    SampleEncoding encoding = SampleEncoding::Float32;
};

void OpenInput(const RenderOptions& options, RenderInputStreams& input) {
    switch (options.input) {
        case RenderInput::WavFile:
            if (IsFolder(options.inputPath)) throw CRenderFailure(options.inputPath, "is a folder, not a WAV file");
            input.file.open(options.inputPath, std::ios::binary);
            if (!input.file) throw CRenderFailure(options.inputPath, std::string("cannot be opened: ") + std::strerror(errno));
            try {
                input.reader.reset(new CWavReader(input.file));
            } catch (const CWavError& error) {
                throw CRenderFailure(options.inputPath, error.what());
            }
            if (!input.reader->Warning().empty()) {
                std::fprintf(stderr, "%s: warning: %s: %s\n", kProgram, options.inputPath.c_str(),
                             input.reader->Warning().c_str());
            }
            input.source.reset(new CWavSource(*input.reader));
            input.encoding = input.reader->Format().encoding;
            return;
        case RenderInput::TestSignal:
            input.signal = MakeDefaultTestSignal();
            input.encoding = SampleEncoding::Float32;
            break;
        case RenderInput::UnitImpulse:
            input.signal = MakeUnitImpulse(static_cast<size_t>(options.impulseFrames), TestSignalLayout::kSampleRate);
            input.encoding = SampleEncoding::Float64;
            break;
    }
    input.source.reset(new CSignalSource(input.signal));
}

std::unique_ptr<CStereoSink> MakeSink(const RenderOptions& options, const RenderInputStreams& input,
                                      std::ofstream& stream) {
    if (options.WritesText()) return std::unique_ptr<CStereoSink>(new CTextSink(stream));
    WavFormat format;
    format.encoding = options.setEncoding ? options.encoding : input.encoding;
    format.channels = 2;
    format.sampleRate = input.source->SampleRate();
    return std::unique_ptr<CStereoSink>(new CWavSink(stream, format));
}

RenderStatistics Render(const RenderOptions& options, RenderInputStreams& input, CStereoEffect& effect,
                        std::ofstream& stream) {
    try {
        std::unique_ptr<CStereoSink> sink = MakeSink(options, input, stream);
        CProgressDisplay progress(input.source->FrameCount());
        return RunRender(*input.source, effect, *sink, options.blockSize, options.precision,
                         [&](uint64_t done) { progress.Update(done); });
    } catch (const CWavWriteError& error) {
        throw CRenderFailure(options.outputPath, error.what());
    } catch (const CWavError& error) {
        throw CRenderFailure(options.inputPath, error.what());
    }
}

int Run(const RenderOptions& options) {
    RenderInputStreams input;
    OpenInput(options, input);
    // Created before the plug-in is loaded: an output that cannot be written is found out
    // early, and every later failure exercises the clean-up of the temporary file.
    CTemporaryOutput output(options.outputPath);
    std::ofstream& stream = output.Open();
    const std::string pluginPath = options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath;
    CPluginEffect effect(pluginPath, input.source->SampleRate(), options.blockSize, options.precision);
    if (options.setParameter) effect.SetParameter(options.parameter);
    const RenderStatistics statistics = Render(options, input, effect, stream);
    input.file.close();  // the output may replace the input
    output.Commit();
    std::printf("%s: %s\n", kProgram, DescribeRender(statistics, input.source->SampleRate()).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    try {
        options = ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CUsageError& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(RenderHelpText(kProgram).c_str(), stdout);
        return 0;
    }
    try {
        return Run(options);
    } catch (const CRenderFailure& failure) {
        std::fprintf(stderr, "%s: %s\n", kProgram, failure.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
    }
    return 1;
}
