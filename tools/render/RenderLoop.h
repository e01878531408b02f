#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/render/StereoEffect.h"
#include "tools/render/StereoStreams.h"

enum class RenderPrecision { Single, Double };

struct RenderStatistics {
    uint64_t frames = 0;
    double peakIn = 0.0;             // largest magnitude over both channels, 1.0 = full scale
    double peakOut = 0.0;
    double processingSeconds = 0.0;  // time spent inside the effect's processing calls
};

// Called after every block with the frames done so far.
using RenderProgress = std::function<void(uint64_t framesDone)>;

// Pulls the whole source through the effect in blocks of blockSize frames (the last one
// shorter) and pushes the results into the sink. Samples reach a 32-bit effect rounded to
// the nearest float.
RenderStatistics RunRender(CStereoSource& source, CStereoEffect& effect, CStereoSink& sink,
                           int blockSize, RenderPrecision precision, const RenderProgress& progress);

// 20 log10(peak); -infinity for silence.
double PeakDecibels(double peak);

// The render's one-line summary: "288000 frames, 6.000 s of audio, 0.012 s in the effect
// (500.0x real time), peak in -0.00 dBFS, out -0.57 dBFS".
std::string DescribeRender(const RenderStatistics& statistics, uint32_t sampleRate);
