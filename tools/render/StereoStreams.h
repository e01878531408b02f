#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "tools/render/TestSignal.h"
#include "tools/render/WavFormat.h"
#include "tools/render/WavReader.h"
#include "tools/render/WavWriter.h"

// Where a render takes its stereo input from. A mono source delivers its one channel on
// both sides, which is how a stereo effect renders a mono file: as dual mono.
class CStereoSource {
public:
    virtual ~CStereoSource() = default;
    virtual uint32_t SampleRate() const = 0;
    virtual uint64_t FrameCount() const = 0;
    // Up to maxFrames frames; fewer only at the end.
    virtual size_t Read(double* left, double* right, size_t maxFrames) = 0;
};

// Where a render puts its stereo output.
class CStereoSink {
public:
    virtual ~CStereoSink() = default;
    virtual void Write(const double* left, const double* right, size_t frames) = 0;
    virtual void Finish() = 0;
};

class CWavSource : public CStereoSource {
public:
    explicit CWavSource(CWavReader& reader) : reader_(reader) {}
    uint32_t SampleRate() const override { return reader_.Format().sampleRate; }
    uint64_t FrameCount() const override { return reader_.FrameCount(); }
    size_t Read(double* left, double* right, size_t maxFrames) override;

private:
    CWavReader& reader_;
};

class CSignalSource : public CStereoSource {
public:
    explicit CSignalSource(const StereoSignal& signal) : signal_(signal) {}
    uint32_t SampleRate() const override { return signal_.sampleRate; }
    uint64_t FrameCount() const override { return signal_.left.size(); }
    size_t Read(double* left, double* right, size_t maxFrames) override;

private:
    const StereoSignal& signal_;
    size_t position_ = 0;
};

class CWavSink : public CStereoSink {
public:
    // format.channels is taken as 2: the render's output is always stereo.
    CWavSink(std::ostream& out, WavFormat format);
    void Write(const double* left, const double* right, size_t frames) override;
    void Finish() override { writer_.Finish(); }

private:
    static WavFormat Stereo(WavFormat format);
    CWavWriter writer_;
};

// One line per frame, "left right", each with the 17 significant digits that bring a
// double back exactly: for plotting and for reading by eye.
class CTextSink : public CStereoSink {
public:
    explicit CTextSink(std::ostream& out) : out_(out) {}
    void Write(const double* left, const double* right, size_t frames) override;
    void Finish() override;

private:
    std::ostream& out_;
};
