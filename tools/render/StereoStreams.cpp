#include "tools/render/StereoStreams.h"

#include <algorithm>
#include <cstdio>

#include "tools/render/WavError.h"

size_t CWavSource::Read(double* left, double* right, size_t maxFrames) {
    double* const channels[2] = {left, right};
    const size_t frames = reader_.Read(channels, maxFrames);
    if (reader_.Format().channels == 1) std::copy(left, left + frames, right);
    return frames;
}

size_t CSignalSource::Read(double* left, double* right, size_t maxFrames) {
    const size_t frames = std::min(maxFrames, signal_.left.size() - position_);
    std::copy_n(signal_.left.begin() + static_cast<std::ptrdiff_t>(position_), frames, left);
    std::copy_n(signal_.right.begin() + static_cast<std::ptrdiff_t>(position_), frames, right);
    position_ += frames;
    return frames;
}

CWavSink::CWavSink(std::ostream& out, WavFormat format) : writer_(out, Stereo(format)) {}

WavFormat CWavSink::Stereo(WavFormat format) {
    format.channels = 2;
    return format;
}

void CWavSink::Write(const double* left, const double* right, size_t frames) {
    const double* const channels[2] = {left, right};
    writer_.Write(channels, frames);
}

void CTextSink::Write(const double* left, const double* right, size_t frames) {
    char line[64];
    for (size_t i = 0; i < frames; ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", left[i], right[i]);
        out_ << line;
    }
    if (!out_) throw CWavWriteError("write error while writing samples");
}

void CTextSink::Finish() {
    out_.flush();
    if (!out_) throw CWavWriteError("write error while finishing the file");
}
