#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/render/RenderLoop.h"
#include "tools/render/WavFormat.h"

// A command line that makes no sense; the message says what is wrong in one line.
class CUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RenderInput { WavFile, TestSignal, UnitImpulse };

struct RenderOptions {
    bool showHelp = false;
    RenderInput input = RenderInput::WavFile;
    std::string inputPath;       // only for RenderInput::WavFile
    std::string outputPath;
    uint64_t impulseFrames = 0;  // only for RenderInput::UnitImpulse
    std::string pluginPath;      // empty: the project's plug-in next to the program
    int blockSize = 512;
    RenderPrecision precision = RenderPrecision::Single;
    bool setParameter = false;   // otherwise parameter 0 keeps the plug-in's own value
    float parameter = 0.0f;
    bool setEncoding = false;    // otherwise the input's encoding (float32 for generated input)
    SampleEncoding encoding = SampleEncoding::Float32;

    bool WritesText() const;     // an output name ending in ".txt"
};

// args excludes the program name. Throws CUsageError.
RenderOptions ParseRenderOptions(const std::vector<std::string>& args);

// The --help text, for a program called `programName`.
std::string RenderHelpText(const std::string& programName);

constexpr int kLargestBlock = 65536;
constexpr uint64_t kLargestImpulse = 1u << 24;
