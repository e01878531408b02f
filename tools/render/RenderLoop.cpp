#include "tools/render/RenderLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

double PeakOf(const std::vector<double>& samples, size_t frames, double peak) {
    for (size_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

template <typename Sample>
RenderStatistics RenderIn(CStereoSource& source, CStereoEffect& effect, CStereoSink& sink, int blockSize,
                          const RenderProgress& progress) {
    using Clock = std::chrono::steady_clock;
    const size_t block = static_cast<size_t>(blockSize);
    std::vector<double> inLeft(block), inRight(block), outLeft(block), outRight(block);
    std::vector<Sample> hostInLeft(block), hostInRight(block), hostOutLeft(block), hostOutRight(block);
    Sample* hostInputs[2] = {hostInLeft.data(), hostInRight.data()};
    Sample* hostOutputs[2] = {hostOutLeft.data(), hostOutRight.data()};

    RenderStatistics statistics;
    Clock::duration busy{};
    for (;;) {
        const size_t frames = source.Read(inLeft.data(), inRight.data(), block);
        if (frames == 0) break;
        std::transform(inLeft.begin(), inLeft.begin() + frames, hostInLeft.begin(),
                       [](double x) { return static_cast<Sample>(x); });
        std::transform(inRight.begin(), inRight.begin() + frames, hostInRight.begin(),
                       [](double x) { return static_cast<Sample>(x); });
        const Clock::time_point start = Clock::now();
        effect.Process(hostInputs, hostOutputs, static_cast<int>(frames));
        busy += Clock::now() - start;
        std::copy_n(hostOutLeft.begin(), frames, outLeft.begin());
        std::copy_n(hostOutRight.begin(), frames, outRight.begin());
        sink.Write(outLeft.data(), outRight.data(), frames);

        statistics.frames += frames;
        statistics.peakIn = PeakOf(inRight, frames, PeakOf(inLeft, frames, statistics.peakIn));
        statistics.peakOut = PeakOf(outRight, frames, PeakOf(outLeft, frames, statistics.peakOut));
        if (progress) progress(statistics.frames);
    }
    sink.Finish();
    statistics.processingSeconds = std::chrono::duration<double>(busy).count();
    return statistics;
}

}  // namespace

RenderStatistics RunRender(CStereoSource& source, CStereoEffect& effect, CStereoSink& sink, int blockSize,
                           RenderPrecision precision, const RenderProgress& progress) {
    if (precision == RenderPrecision::Double) return RenderIn<double>(source, effect, sink, blockSize, progress);
    return RenderIn<float>(source, effect, sink, blockSize, progress);
}

namespace {

std::string Decibels(double peak) {
    char text[32];
    if (peak <= 0.0) return "-inf dBFS";
    std::snprintf(text, sizeof text, "%.2f dBFS", PeakDecibels(peak));
    return text;
}

}  // namespace

std::string DescribeRender(const RenderStatistics& statistics, uint32_t sampleRate) {
    const double audioSeconds = static_cast<double>(statistics.frames) / sampleRate;
    char speed[32] = "no time";
    if (statistics.processingSeconds > 0.0) {
        std::snprintf(speed, sizeof speed, "%.1fx real time", audioSeconds / statistics.processingSeconds);
    }
    char text[160];
    std::snprintf(text, sizeof text, "%llu frames, %.3f s of audio, %.3f s in the effect (%s), ",
                  static_cast<unsigned long long>(statistics.frames), audioSeconds, statistics.processingSeconds,
                  speed);
    return text + ("peak in " + Decibels(statistics.peakIn)) + (", out " + Decibels(statistics.peakOut));
}

double PeakDecibels(double peak) {
    if (peak <= 0.0) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(peak);
}
