#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "tools/render/WavFormat.h"

// Writes a RIFF/WAVE stream a block at a time from doubles. The sizes in the header are
// filled in by Finish, which is why the stream must be seekable.
class CWavWriter {
public:
    CWavWriter(std::ostream& out, const WavFormat& format);

    // channels[0 ... format.channels - 1], each `frames` samples long. Integer encodings
    // are rounded to the nearest code and clipped; float32 is rounded to nearest.
    void Write(const double* const* channels, size_t frames);

    // Pads the data chunk to an even length and patches the sizes; throws CWavError when
    // anything failed on the way.
    void Finish();

    uint64_t FramesWritten() const { return framesWritten_; }

private:
    void WriteHeader();
    void CheckStream(const char* when) const;

    std::ostream& out_;
    WavFormat format_;
    uint64_t framesWritten_ = 0;
    uint64_t dataBytes_ = 0;
    std::streamoff riffSizeOffset_ = 0;
    std::streamoff factFramesOffset_ = -1;
    std::streamoff dataSizeOffset_ = 0;
    std::vector<uint8_t> bytes_;
};
